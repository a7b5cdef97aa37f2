// Both download methods against Debian's nginx over HTTPS, its connections cut
// part-way (tests/servers/real_servers.py): the rest is asked for and
// appended, and what the server does with the range decides what follows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

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
    ASSERT_TRUE(real_servers::place(packageBytes(kSize), kName, true));
  }

  // Downloads `path` + the file from nginx with the product's rules and short waits.
  DownloadRun download(const DownloadEngine& engine, const std::string& path,
                       Pieces* pieces = nullptr) {
    DownloadLimits limits;
    limits.stallMs = 1000;
    limits.firstBackoffMs = 50;
    std::wstring file = dir_.file(L"download.bin");
    real_servers::LogMark mark = real_servers::mark();
    bool ok = engine.download(real_servers::tlsUrl(path + kName), file, limits, pieces);
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
      {"cut every time: three resumes, then the source fails",
       "/cut-always/300000/",
       false,
       {200, 206, 206, 206}},
  };
  const std::string content = packageBytes(kSize);
  for (const auto& engine : kDownloadEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.what);
      Pieces pieces;
      DownloadRun got = download(engine, c.path, &pieces);
      EXPECT_EQ(got.ok, c.ok);
      std::vector<int> statuses;
      for (const auto& request : got.requests) statuses.push_back(request.status);
      EXPECT_EQ(statuses, c.statuses);

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
