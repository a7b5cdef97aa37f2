#include "net/http_downloader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <thread>

#include "net/http_download_file_sink.h"
#include "tests/net/net_test_support.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

using net_test::LogCapture;
using net_test::packageBytes;
using testing_support::readFile;
using testing_support::TempDir;
using utility::CHttpDownloader;

namespace {

const char kErrorFunction[] = "utility::CHttpDownload2FileSink::onHttpError";
const char kHeaderFunction[] = "utility::CHttpDownload2FileSink::onHttpRecvHeader";
const int kUnknownLength = 10485760;

struct Report {
  int count, received, expected;
};

class ProgressSink : public CHttpDownloader::IHttpDownloadSink {
 public:
  bool onProgress(const char* data, int count, int received, int expected) override {
    reports.push_back({count, received, expected});
    bytes.append(data, count);
    return onEach ? onEach(reports.size()) : true;
  }
  std::function<bool(size_t)> onEach;  // told how many reports came so far
  std::vector<Report> reports;
  std::string bytes;
};

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(HttpDownload, OutcomeFileProgressAndLogPerResponse) {
  const std::string echo =
      "METHOD GET\nPATH /echo?a=1&b=two\n"
      "HEADER Content-Type: application/x-www-form-urlencoded\nBODY 0\n";
  struct Case {
    std::string url;
    bool ok;
    bool fileMade;
    std::string file;
    int expected;  // the total the progress sink is given
    const char* logFunction;
    std::wstring log;
  } cases[] = {
      {net_test::url("/package/300000"), true, true, packageBytes(300000), 300000, "", L""},
      {net_test::url("/package/300000?nolength=1"), true, true, packageBytes(300000),
       kUnknownLength, "", L""},
      {net_test::url("/package/300000?chunked=1"), true, true, packageBytes(300000), kUnknownLength,
       "", L""},
      {net_test::url("/redirect/3/package/70000"), true, true, packageBytes(70000), 70000, "", L""},
      // Five redirects in a row are followed, a sixth is the answer (as with libcurl).
      {net_test::url("/redirect/5/package/70000"), true, true, packageBytes(70000), 70000, "", L""},
      {net_test::url("/redirect/6/package/70000"), false, false, "", 0, kHeaderFunction,
       L"onHttpErro status = 302"},
      // The query goes out as part of the path, with the form content type.
      {net_test::url("/echo?a=1&b=two"), true, true, echo, int(echo.size()), "", L""},
      {net_test::url("/status/204"), true, true, "", 0, "", L""},
      {net_test::url("/status/404"), false, false, "", 0, kHeaderFunction,
       L"onHttpErro status = 404"},
      {net_test::url("/redirect/2/status/500"), false, false, "", 0, kHeaderFunction,
       L"onHttpErro status = 500"},
      // A body cut short is asked for again (from zero: this server names no
      // version of its file); the same bytes again are no progress, so the
      // source fails after its time without any and leaves what arrived.
      {net_test::url("/package/100000?cut=40000"), false, true, packageBytes(40000), 100000, "",
       L""},
      {net_test::closedUrl("/package/10"), false, false, "", 0, kErrorFunction,
       L"onHttpErro 6, 12029"},
  };
  DownloadLimits quickResumes;
  quickResumes.firstBackoffMs = 50;
  quickResumes.maxBackoffMs = 200;
  quickResumes.noProgressMs = 1500;
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    LogCapture log;
    CHttpDownloader downloader;
    downloader.setLimits(quickResumes);
    ProgressSink progress;
    std::wstring path = dir.file(L"Vorlane.exe.tmp");
    DeleteFileW(path.c_str());
    EXPECT_EQ(downloader.download(utility::utf8ToWide(c.url), path, &progress), c.ok);
    EXPECT_EQ(exists(path), c.fileMade);
    EXPECT_TRUE(readFile(path) == c.file) << readFile(path).size() << " bytes";
    // Each request from zero reports the file's pieces from its start again.
    size_t last =
        progress.bytes.size() >= c.file.size() ? progress.bytes.size() - c.file.size() : 0;
    EXPECT_TRUE(progress.bytes.substr(last) == c.file);
    int received = 0;
    for (const auto& r : progress.reports) {
      EXPECT_LE(r.count, 0x8000);
      if (r.received == r.count) received = 0;
      EXPECT_EQ(r.received, received += r.count);
      EXPECT_EQ(r.expected, c.expected);
    }
    // (A connection refused is asked again, and logged each time.)
    for (const char* function : {kErrorFunction, kHeaderFunction}) {
      std::vector<std::wstring> messages = log.messagesOf(function);
      messages.erase(std::unique(messages.begin(), messages.end()), messages.end());
      std::vector<std::wstring> expected;
      if (std::string(c.logFunction) == function) expected.push_back(c.log);
      EXPECT_EQ(messages, expected) << function;
    }
  }
}

TEST(HttpDownload, ProgressSinkSayingNoStopsBeforeTheNextWrite) {
  TempDir dir;
  CHttpDownloader downloader;
  ProgressSink progress;
  progress.onEach = [](size_t reports) { return reports < 2; };
  std::wstring path = dir.file(L"stopped.exe");
  EXPECT_FALSE(downloader.download(net_test::wideUrl("/package/300000"), path, &progress));
  ASSERT_EQ(progress.reports.size(), 2u);
  EXPECT_TRUE(readFile(path) == packageBytes(progress.reports[0].count));
}

// stop() from another thread breaks a running download; afterwards the same
// downloader serves the next address.
TEST(HttpDownload, StopFromAnotherThreadEndsASlowDownloadAndRearms) {
  TempDir dir;
  CHttpDownloader downloader;
  ProgressSink progress;
  std::wstring path = dir.file(L"slow.exe");
  // 100 pieces 100 ms apart: about 10 s unless stopped.
  std::wstring slow = net_test::wideUrl("/package/2000000?delay=100&chunk=20000");
  std::thread stopper([&] {
    Sleep(700);
    downloader.stop();
  });
  DWORD start = GetTickCount();
  EXPECT_FALSE(downloader.download(slow, path, &progress));
  DWORD took = GetTickCount() - start;
  stopper.join();
  EXPECT_LT(took, 4000u);
  EXPECT_FALSE(progress.reports.empty());
  EXPECT_LT(readFile(path).size(), 2000000u);

  ProgressSink again;
  EXPECT_TRUE(downloader.download(net_test::wideUrl("/package/50000"), path, &again));
  EXPECT_TRUE(readFile(path) == packageBytes(50000));
}

TEST(HttpDownload, FileThatCannotBeMadeFails) {
  LogCapture log;
  TempDir dir;
  CHttpDownloader downloader;
  EXPECT_FALSE(downloader.download(net_test::wideUrl("/package/10"),
                                   dir.file(L"missing\\Vorlane.exe.tmp"), nullptr));
  EXPECT_EQ(log.messagesOf(kHeaderFunction),
            (std::vector<std::wstring>{L"onHttpErro create file error  3"}));
}

// Every write to the target fails as on a full disk: the download fails at the
// first piece.
TEST(HttpDownload, FullDiskEndsTheDownload) {
  std::wstring fullDisk = net_test::fullDiskPath();
  if (fullDisk.empty()) GTEST_SKIP() << "no full-disk device";
  CHttpDownloader downloader;
  ProgressSink progress;
  EXPECT_FALSE(downloader.download(net_test::wideUrl("/package/300000"), fullDisk, &progress));
  EXPECT_EQ(progress.reports.size(), 1u);
}

// The cancel request is polled before every piece: once set (here from another
// thread, as a caller would), the slow download ends at the next piece.
TEST(HttpDownloadFileSink, CancelRequestStopsASlowDownloadAtTheNextPiece) {
  TempDir dir;
  std::wstring path = dir.file(L"cancelled.exe");
  TThread cancel;
  ProgressSink progress;
  PartialFile file(path);
  utility::CHttpDownload2FileSink sink(file, &cancel, &progress);
  utility::CHttpClient client;
  // 100 pieces 100 ms apart: about 10 s unless cancelled.
  ASSERT_TRUE(client.open(net_test::wideUrl("/package/2000000?delay=100&chunk=20000"), L"", &sink));
  std::thread canceller([&] {
    Sleep(500);
    cancel.signal();
  });
  DWORD start = GetTickCount();
  EXPECT_FALSE(client.request());
  DWORD took = GetTickCount() - start;
  canceller.join();
  file.close();
  EXPECT_LT(took, 2000u);
  EXPECT_FALSE(progress.reports.empty());
  EXPECT_TRUE(readFile(path) == progress.bytes);
}
