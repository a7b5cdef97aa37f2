// Both download methods against Debian's nginx over HTTPS, its connections cut
// part-way (tests/servers/real_servers.py): the rest is asked for and
// appended, and what the server does with the range decides what follows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>

#include "net/curl_downloader.h"
#include "net/http_downloader.h"
#include "tests/net/net_test_support.h"
#include "tests/support/real_servers.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

using net_test::packageBytes;
using testing_support::readFile;
using testing_support::TempDir;

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

// The tests' limits: the product's rules with short waits.
DownloadLimits testLimits() {
  DownloadLimits limits;
  limits.stallMs = 1000;
  limits.firstBackoffMs = 50;
  return limits;
}

struct Engine {
  const char* name;
  std::function<bool(const std::string& url, const std::wstring& file, Pieces& pieces)> download;
};

const Engine kEngines[] = {
    {"libcurl",
     [](const std::string& url, const std::wstring& file, Pieces&) {
       return CCurlDownloader::downloadFile(file, url, {}, testLimits());
     }},
    {"WinINet",
     [](const std::string& url, const std::wstring& file, Pieces& pieces) {
       utility::CHttpDownloader downloader;
       downloader.setLimits(testLimits());
       return downloader.download(utility::utf8ToWide(url), file, &pieces);
     }},
};

class DownloadResume : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!real_servers::available()) GTEST_SKIP() << "nginx and tinyproxy are not installed";
    std::wstring source = dir_.file(L"source.bin");
    ASSERT_TRUE(testing_support::writeFile(source, packageBytes(kSize)));
    ASSERT_TRUE(real_servers::place(source, kName));
    ASSERT_TRUE(real_servers::place(source, kName, true));
  }
  TempDir dir_;
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
      {"cut every time: three resumes, then the source fails", "/cut-always/300000/", false,
       {200, 206, 206, 206}},
  };
  const std::string content = packageBytes(kSize);
  for (const auto& engine : kEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.what);
      std::wstring file = dir_.file(L"download.bin");
      Pieces pieces;
      real_servers::LogMark mark = real_servers::mark();
      EXPECT_EQ(engine.download(real_servers::tlsUrl(c.path + kName), file, pieces), c.ok);
      auto requests = real_servers::hostRequestsSince(mark);
      std::vector<int> statuses;
      for (const auto& request : requests) statuses.push_back(request.status);
      EXPECT_EQ(statuses, c.statuses);

      // Each later request asks for the rest from the bytes the client has (the host
      // may have sent a little more into a connection that then broke), on the
      // condition that the file is the same; a 206 goes on from there.
      long long sent = 0, start = 0;
      for (size_t i = 0; i < requests.size(); ++i) {
        const auto& request = requests[i];
        EXPECT_EQ(request.ifRange.empty(), i == 0) << i;
        start = 0;
        if (i > 0) {
          ASSERT_EQ(request.range.rfind("bytes=", 0), 0u) << request.range;
          long long asked = atoll(request.range.c_str() + 6);
          EXPECT_GT(asked, 0) << i;
          EXPECT_LE(asked, sent) << i;
          if (request.status == 206) start = asked;
        }
        sent = start + request.bodyBytes;
      }
      std::string got = readFile(file);
      EXPECT_TRUE(got == content.substr(0, got.size()));
      if (c.ok) {
        EXPECT_EQ(got.size(), kSize);
        EXPECT_EQ(sent, (long long)kSize);  // the last request brought the end, no more
      } else {
        EXPECT_LE((long long)got.size(), sent);
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
  struct Case {
    std::string path;
    bool ok;
  } cases[] = {
      {"/to-http/open/", false},
      {"/to-https/files/", true},
  };
  for (const auto& engine : kEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + " " + c.path);
      std::wstring file = dir_.file(L"redirected.bin");
      Pieces pieces;
      real_servers::LogMark mark = real_servers::mark();
      EXPECT_EQ(engine.download(real_servers::tlsUrl(c.path + kName), file, pieces), c.ok);
      auto requests = real_servers::hostRequestsSince(mark);
      // The plain host never hears of a refused redirect.
      ASSERT_EQ(requests.size(), 2u - (c.ok ? 0 : 1));
      EXPECT_EQ(requests[0].status, 302);
      if (c.ok) {
        EXPECT_TRUE(readFile(file) == packageBytes(kSize));
      }
    }
  }
}
