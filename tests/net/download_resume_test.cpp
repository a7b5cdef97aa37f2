// Both download methods against Debian's nginx over HTTPS, its connections cut
// part-way (tests/servers/real_servers.py): the rest is asked for and
// appended, and what the server does with the range decides what follows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "net/partial_record.h"
#include "tests/net/net_test_support.h"
#include "tests/support/real_servers.h"
#include "tests/support/test_support.h"

using net_test::DownloadEngine;
using net_test::kDownloadEngines;
using net_test::packageBytes;

namespace {

const size_t kSize = 2000000;
const char kName[] = "resume.bin";

// Every piece the WinINet method reports.
class Pieces : public utility::CHttpDownloader::IHttpDownloadSink {
 public:
  struct Piece {
    int count, received, expected;
  };
  bool onProgress(const char*, int count, int received, int expected) override {
    pieces.push_back({count, received, expected});
    return true;
  }
  std::vector<Piece> pieces;
};

// What one download did: its result, the requests nginx saw, the file.
struct DownloadRun {
  bool ok;
  std::vector<real_servers::HostRequest> requests;
  std::string file;
};

class DownloadResume : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!real_servers::available()) GTEST_SKIP() << "nginx and tinyproxy are not installed";
    ASSERT_TRUE(real_servers::place(packageBytes(kSize), kName));
    ASSERT_TRUE(real_servers::place(changedBytes(), kName, true));
  }

  // Really other bytes: appending them to the first version's would show.
  static std::string changedBytes() {
    std::string bytes = packageBytes(kSize);
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
  }

  static DownloadLimits shortLimits() {
    DownloadLimits limits;
    limits.stallMs = 1000;
    // libcurl notices a stall after its speed window (5 s) and the limit.
    limits.noProgressMs = 10000;
    limits.firstBackoffMs = 50;
    limits.maxBackoffMs = 400;
    return limits;
  }

  // Downloads `path` + the file from nginx with the product's rules and short waits.
  DownloadRun download(const DownloadEngine& engine, const std::string& path,
                       Pieces* pieces = nullptr) {
    std::wstring file = dir_.file(L"download.bin");
    real_servers::LogMark mark = real_servers::mark();
    bool ok = engine.download(real_servers::tlsUrl(path + kName), file, shortLimits(), pieces);
    return {ok, real_servers::hostRequestsSince(mark), testing_support::readFile(file)};
  }

  testing_support::TempDir dir_;
};

}  // namespace

TEST_F(DownloadResume, WhatTheHostDoesWithTheRangeDecides) {
  struct Case {
    const char* what;
    std::string path;
    bool ok;
    std::vector<int> statuses;  // of the requests the host saw, in order
  } cases[] = {
      {"cut at 30 %: the rest", "/cut-once/600000/", true, {200, 206}},
      {"cut at 90 %: the rest", "/cut-once/1800000/", true, {200, 206}},
      {"stalled at 50 %: the rest", "/stall-once/1000000/", true, {200, 206}},
      {"no range support: from zero", "/no-ranges/600000/", true, {200, 200}},
      {"the file changed: from zero", "/changed/600000/", true, {200, 200}},
      // Every request brings bytes: the source never runs out of time. (How
      // many bytes each cut lets through varies a little: the count too.)
      {"cut every time: the rest each time until the end",
       "/cut-always/300000/",
       true,
       {200, 206, 206, 206, 206, 206, 206}},
  };
  for (const auto& engine : kDownloadEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.what);
      Pieces pieces;
      DownloadRun got = download(engine, c.path, &pieces);
      EXPECT_EQ(got.ok, c.ok);
      std::vector<int> statuses;
      for (const auto& request : got.requests) statuses.push_back(request.status);
      if (c.path.rfind("/cut-always/", 0) == 0) {
        ASSERT_GE(statuses.size(), 6u);
        EXPECT_LE(statuses.size(), 8u);
        statuses.resize(c.statuses.size(), 206);
      }
      EXPECT_EQ(statuses, c.statuses);
      const std::string content =
          c.path.rfind("/changed/", 0) == 0 ? changedBytes() : packageBytes(kSize);

      // Each later request asks for the rest from the bytes the client has (the host
      // may have sent a little more into a connection that then broke), on the
      // condition that the file is the same; a 206 goes on from there.
      long long sent = 0;
      for (size_t i = 0; i < got.requests.size(); ++i) {
        const auto& request = got.requests[i];
        EXPECT_EQ(request.ifRange.empty(), i == 0) << i;
        long long start = 0;
        if (i > 0) {
          ASSERT_EQ(request.range.rfind("bytes=", 0), 0u) << request.range;
          long long asked = atoll(request.range.c_str() + 6);
          EXPECT_GT(asked, 0) << i;
          EXPECT_LE(asked, sent) << i;
          if (request.status == 206) start = asked;
        }
        sent = start + request.bodyBytes;
      }
      EXPECT_TRUE(got.file == content.substr(0, got.file.size()));
      if (c.ok) {
        EXPECT_EQ(got.file.size(), kSize);
        EXPECT_EQ(sent, (long long)kSize);  // the last request brought the end, no more
      } else {
        EXPECT_LE((long long)got.file.size(), sent);
      }

      // WinINet's pieces count on from the bytes there; a whole file counts from zero.
      long long received = 0;
      for (const auto& piece : pieces.pieces) {
        if (piece.received == piece.count) received = 0;
        EXPECT_EQ(piece.received, received += piece.count);
        EXPECT_EQ(piece.expected, (int)kSize);
      }
    }
  }
}

// A redirect from https to http is not followed by either method; one that
// stays on https is.
TEST_F(DownloadResume, RedirectsFromHttpsToHttpAreRefused) {
  for (const auto& engine : kDownloadEngines) {
    SCOPED_TRACE(engine.name);
    DownloadRun refused = download(engine, "/to-http/open/");
    EXPECT_FALSE(refused.ok);
    // The plain host never hears of it.
    ASSERT_EQ(refused.requests.size(), 1u);
    EXPECT_EQ(refused.requests[0].status, 302);

    DownloadRun followed = download(engine, "/to-https/files/");
    EXPECT_TRUE(followed.ok);
    ASSERT_EQ(followed.requests.size(), 2u);
    EXPECT_EQ(followed.requests[0].status, 302);
    EXPECT_TRUE(followed.file == packageBytes(kSize));
  }
}

// What an earlier run kept (the bytes and their record) meets the host's
// answers: the rest of the same version, nothing missing at all, another start
// than asked, or another version of the file.
TEST_F(DownloadResume, BytesKeptByAnEarlierRunMeetTheHost) {
  const std::string content = packageBytes(kSize);
  const std::string other = changedBytes() + "more";  // another length, so another ETag
  struct Case {
    const char* what;
    std::string path;
    size_t kept;
    std::vector<int> statuses;
    bool otherVersion = false;
  } cases[] = {
      {"the rest of the same version", "/files/", 600000, {206}},
      {"nothing was missing (416)", "/files/", kSize, {416}},
      {"another start than asked: from zero", "/wrong-start/", 600000, {206, 200}},
      {"the file changed on the host: from zero", "/files/", 600000, {200}, true},
  };
  for (const auto& engine : kDownloadEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.what);
      ASSERT_TRUE(real_servers::place(content, kName));
      std::wstring bytes = dir_.file(L"kept.partial"), record = dir_.file(L"kept.record");
      std::string url = real_servers::tlsUrl(c.path + kName);
      // The earlier run: the whole file with its record, then cut back to what it had.
      {
        PartialFile earlier(bytes, record);
        ASSERT_EQ(engine.downloadInto(real_servers::tlsUrl(std::string("/files/") + kName),
                                      earlier, shortLimits()),
                  SourceEnd::done);
        earlier.keep();
      }
      PartialRecord kept;
      ASSERT_TRUE(parsePartialRecord(testing_support::readFile(record), kept));
      kept.url = url;
      kept.bytes = static_cast<int64_t>(c.kept);
      ASSERT_TRUE(testing_support::writeFile(record, formatPartialRecord(kept)));
      ASSERT_TRUE(testing_support::writeFile(bytes, content.substr(0, c.kept)));
      if (c.otherVersion) {
        ASSERT_TRUE(real_servers::place(other, kName));
      }

      PartialFile next(bytes, record);
      ASSERT_TRUE(next.takeUp());
      real_servers::LogMark mark = real_servers::mark();
      EXPECT_EQ(engine.downloadInto(url, next, shortLimits()), SourceEnd::done);
      next.close();
      std::vector<int> statuses;
      for (const auto& request : real_servers::hostRequestsSince(mark)) {
        statuses.push_back(request.status);
        if (request.status == 206) {
          EXPECT_EQ(request.range, "bytes=" + std::to_string(c.kept) + "-");
        }
      }
      EXPECT_EQ(statuses, c.statuses);
      EXPECT_TRUE(testing_support::readFile(bytes) == (c.otherVersion ? other : content));
    }
  }
}
