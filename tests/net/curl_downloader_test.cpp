#include "net/curl_downloader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <windows.h>

#include <mutex>
#include <thread>

#include "tests/net/net_test_support.h"
#include "tests/support/test_support.h"

using net_test::LogCapture;
using net_test::packageBytes;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

const char kDownloadFunction[] = "CCurlDownloader::downloadFile";

// Percentages as reported, with the tick of each report.
struct ProgressLog {
  std::mutex mutex;
  std::vector<std::pair<int, DWORD>> reports;
  CurlProgressFunc function() {
    return [this](int percent) {
      std::lock_guard<std::mutex> lock(mutex);
      reports.push_back({percent, GetTickCount()});
    };
  }
};

}  // namespace

TEST(CurlDownloadFile, OutcomeFileAndLogPerResponse) {
  struct Case {
    std::string url;
    bool ok;
    std::string file;    // what the target file holds afterwards
    std::wstring error;  // libcurl's text in the error lines
    bool again = false;  // requests made again and again, each failing with that text
  } cases[] = {
      {net_test::url("/package/300000"), true, packageBytes(300000), L""},
      {net_test::url("/package/300000?nolength=1"), true, packageBytes(300000), L""},
      {net_test::url("/package/300000?chunked=1"), true, packageBytes(300000), L""},
      {net_test::url("/package/0"), true, "", L""},
      {net_test::url("/redirect/5/package/70000"), true, packageBytes(70000), L""},
      {net_test::url("/redirect/6/package/70000"), false, "",
       L"Number of redirects hit maximum amount"},
      // An error page is written like any body; the caller's size check rejects it.
      {net_test::url("/status/404"), true, "status page 404\n", L""},
      {net_test::url("/redirect/2/status/500"), true, "status page 500\n", L""},
      // A cut body is asked for again; this server names no version of its
      // file, so from zero each time, which is no progress. Once the source has
      // gone its time without any, the last cut body stays on disk as far as it came.
      {net_test::url("/package/100000?cut=40000"), false, packageBytes(40000),
       L"Transferred a partial file", true},
      // Refused connections are asked again too: an outage, waited out.
      {net_test::closedUrl("/package/10"), false, "", L"Couldn't connect to server", true},
  };
  DownloadLimits quickResumes;
  quickResumes.firstBackoffMs = 50;
  quickResumes.maxBackoffMs = 200;
  quickResumes.noProgressMs = 1500;
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    LogCapture log;
    std::wstring path = dir.file(L"package.exe");
    ProgressLog progress;
    EXPECT_EQ(CCurlDownloader::downloadFile(path, c.url, progress.function(), quickResumes), c.ok);
    EXPECT_TRUE(readFile(path) == c.file) << "file size " << readFile(path).size();
    std::vector<std::wstring> expected = {L"downloadfile start"};
    if (c.ok) {
      expected.push_back(L"download  file sucess");
    } else {
      expected.push_back(L"download error " + c.error);
      expected.push_back(L"download file error " + c.error);
    }
    std::vector<std::wstring> lines = log.messagesOf(kDownloadFunction);
    size_t requests = std::count(lines.begin(), lines.end(), L"download error " + c.error);
    if (c.again) {
      EXPECT_GE(requests, 2u);
    } else {
      EXPECT_LE(requests, 1u);
    }
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    EXPECT_EQ(lines, expected);
    for (const auto& report : progress.reports) EXPECT_LE(report.first, 99);
  }
}

TEST(CurlDownloadFile, ProgressOnlyWithALengthAtMostOnceASecondBelowHundred) {
  struct Case {
    const char* path;
    bool reports;
  } cases[] = {
      // 8 pieces 300 ms apart: about 2.4 s of body.
      {"/package/160000?delay=300&chunk=20000", true},
      {"/package/160000?delay=300&chunk=20000&nolength=1", false},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    ProgressLog progress;
    std::wstring path = dir.file(L"slow.exe");
    ASSERT_TRUE(CCurlDownloader::downloadFile(path, net_test::url(c.path), progress.function()));
    EXPECT_TRUE(readFile(path) == packageBytes(160000));
    if (!c.reports) {
      EXPECT_TRUE(progress.reports.empty()) << progress.reports.size() << " reports";
      continue;
    }
    ASSERT_GE(progress.reports.size(), 2u);
    for (size_t i = 0; i < progress.reports.size(); ++i) {
      EXPECT_GE(progress.reports[i].first, 0);
      EXPECT_LE(progress.reports[i].first, 99);
      if (i == 0) continue;
      EXPECT_GE(progress.reports[i].first, progress.reports[i - 1].first);
      // The callback's own tick lies a few ms before ours; the rule is > 1000 ms.
      EXPECT_GE(progress.reports[i].second - progress.reports[i - 1].second, 950u);
    }
  }
}

// 30 MiB at no more than 20 MiB/s take 1.5 s; only a lower bound is checked,
// so that a slow machine cannot fail it.
TEST(CurlDownloadFile, ReceiveIsCappedAt20MiBPerSecond) {
  TempDir dir;
  std::wstring path = dir.file(L"large.exe");
  DWORD start = GetTickCount();
  ASSERT_TRUE(CCurlDownloader::downloadFile(path, net_test::url("/package/31457280"), {}));
  EXPECT_GE(GetTickCount() - start, 1200u);
  EXPECT_EQ(readFile(path).size(), 31457280u);
}

TEST(CurlDownloadFile, UnopenableTargetFailsBeforeAnyTransfer) {
  LogCapture log;
  TempDir dir;
  std::wstring path = dir.file(L"missing\\package.exe");
  EXPECT_FALSE(CCurlDownloader::downloadFile(path, net_test::url("/package/10"), {}));
  EXPECT_EQ(
      log.messagesOf(kDownloadFunction),
      (std::vector<std::wstring>{L"downloadfile start", L"open file error: " + path + L". 3"}));
}

// Every write to the target fails as on a full disk.
TEST(CurlDownloadFile, FullDiskEndsTheDownload) {
  std::wstring fullDisk = net_test::fullDiskPath();
  if (fullDisk.empty()) GTEST_SKIP() << "no full-disk device";
  LogCapture log;
  EXPECT_FALSE(CCurlDownloader::downloadFile(fullDisk, net_test::url("/package/100000"), {}));
  auto lines = log.messagesOf(kDownloadFunction);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], L"download error Failed writing received data to disk/application");
}

// Each call owns its handle, state and file: calls on several threads at once
// do not disturb each other.
TEST(CurlTransfers, RunSideBySideOnSeveralThreads) {
  TempDir dir;
  const size_t sizes[] = {400000, 700000, 1300000};
  bool ok[3] = {};
  std::string response;
  bool posted = false;
  std::vector<std::thread> threads;
  for (int i = 0; i < 3; ++i)
    threads.emplace_back([&, i] {
      ok[i] = CCurlDownloader::downloadFile(
          dir.file(L"p" + std::to_wstring(i)),
          net_test::url("/package/" + std::to_string(sizes[i]) + "?chunk=50000&delay=20"), {});
    });
  threads.emplace_back(
      [&] { posted = CCurlDownloader::postRequest(net_test::url("/echo"), "{}", {}, response); });
  for (auto& t : threads) t.join();
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(ok[i]);
    EXPECT_TRUE(readFile(dir.file(L"p" + std::to_wstring(i))) == packageBytes(sizes[i])) << i;
  }
  EXPECT_TRUE(posted);
  EXPECT_NE(response.find("BODY 2\n{}"), std::string::npos) << response;
}

// Certificates are not checked: a self-signed server is accepted for both kinds
// of transfer. Wine does not check chains, so only Windows shows the options matter.
TEST(CurlTransfers, SelfSignedServerIsAccepted) {
  if (net_test::tlsUrl("").empty()) GTEST_SKIP() << "no TLS port (openssl missing)";
  TempDir dir;
  std::wstring path = dir.file(L"tls.exe");
  EXPECT_TRUE(CCurlDownloader::downloadFile(path, net_test::tlsUrl("/package/200000"), {}));
  EXPECT_TRUE(readFile(path) == packageBytes(200000));
  std::string response;
  EXPECT_TRUE(CCurlDownloader::postRequest(net_test::tlsUrl("/echo"), "[4]", {}, response));
  EXPECT_NE(response.find("BODY 3\n[4]"), std::string::npos) << response;
}
