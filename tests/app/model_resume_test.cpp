// The package download against Debian's nginx over HTTPS with its connections
// cut part-way (tests/servers/real_servers.py): each method goes on within its
// source, the package installs, and the events are those of the source that
// brought it, as when nothing was cut.
#include <gtest/gtest.h>

#include <thread>

#include "net/system_proxy.h"
#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/real_servers.h"
#include "utility/process.h"
#include "utility/text.h"
#include "utility/ufile.h"

using namespace model_testing;
using real_servers::SystemProxySettings;
using testing_support::readFile;

namespace {

const char kPackage[] = "Vorlane9.0.exe";

std::wstring hostUrl(const std::string& path) {
  return utility::utf8ToWide(real_servers::tlsUrl(path));
}

class ResumedDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!real_servers::available()) GTEST_SKIP() << "nginx and tinyproxy are not installed";
    ASSERT_TRUE(real_servers::placeFile(standins::package(L"signed"), kPackage));
    size_ = (long)readFile(standins::package(L"signed")).size();
  }
  // "/<mode>/<bytes>/<package>", cut after that share of the package.
  std::string cutAt(const char* mode, int percent) const {
    return std::string("/") + mode + "/" + std::to_string(size_ / 100 * percent) + "/" + kPackage;
  }
  long size_ = 0;
};

// The percentages count on from the bytes already there, within each source
// (a source after a failed one may start anew).
void expectOrderWithinEachSource(const ModelFixture& f) {
  std::vector<size_t> starts = f.sourceStarts;
  starts.push_back(f.progress.size());
  size_t from = 0;
  for (size_t end : starts) {
    for (size_t i = from + 1; i < end && i < f.progress.size(); ++i)
      EXPECT_GE(f.progress[i].percent, f.progress[i - 1].percent) << i;
    from = end;
  }
}

}  // namespace

TEST_F(ResumedDownload, ACutTransferGoesOnAndThePackageInstalls) {
  const std::vector<std::string> aws_ie = {"ad_download_success ext_field=aws",
                                           "ad_download_duration duration=<int> ext_field=aws_ie"};
  const std::vector<std::string> aws_curl = {
      "ad_download_success ext_field=aws",
      "ad_download_duration duration=<int> ext_field=aws_curl"};
  const std::string missing = "/files/missing.exe";
  struct Case {
    const char* what;
    std::string primary, spare;
    std::vector<int> statuses;  // the requests nginx saw
    std::vector<std::string> reported;
  } cases[] = {
      {"WinINet, cut at 30 %", cutAt("cut-once", 30), missing, {200, 206}, aws_ie},
      {"WinINet, cut at 90 %", cutAt("cut-once", 90), missing, {200, 206}, aws_ie},
      // nginx answers WinINet's requests there with 404, so libcurl's rows run.
      {"libcurl, cut at 30 %",
       "/libcurl-only" + cutAt("cut-once", 30),
       "/libcurl-only" + missing,
       {404, 404, 200, 206},
       aws_curl},
      {"libcurl, cut at 90 %",
       "/libcurl-only" + cutAt("cut-once", 90),
       "/libcurl-only" + missing,
       {404, 404, 200, 206},
       aws_curl},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ModelFixture f;
    real_servers::LogMark mark = real_servers::mark();
    DownloadRun run = downloadFrom(f, hostUrl(c.primary), hostUrl(c.spare));
    ASSERT_TRUE(run.ok);
    std::vector<int> statuses;
    for (const auto& request : real_servers::hostRequestsSince(mark))
      statuses.push_back(request.status);
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(run.reported, c.reported);
    ASSERT_FALSE(run.analytics.empty());
    EXPECT_EQ(run.analytics.front(), "ad_download_sucess:100");
    expectOrderWithinEachSource(f);
    install(f, nullptr, 2);
    EXPECT_TRUE(f.installOk);
  }
}

// A system proxy that wants credentials fails each source at once; the
// download goes through all four and ends in the failure path. The telemetry
// posts use the same proxy rule: the package is asked of "localhost" so that
// the bypass list can let the posts to 127.0.0.1 through.
TEST_F(ResumedDownload, AProxyWantingCredentialsMovesOnToTheNextSource) {
  SystemProxySettings proxy(real_servers::authProxyAddress(), L"127.0.0.1");
  ModelFixture f;
  testing_support::LogCapture log;
  std::string url = real_servers::viaUrl(std::string("/files/") + kPackage);
  std::wstring local = utility::utf8ToWide(url.replace(url.find("127.0.0.1"), 9, "localhost"));
  DownloadRun run = downloadFrom(f, local, local);
  EXPECT_FALSE(run.ok);
  EXPECT_LT(run.elapsedMs, 20000u);
  EXPECT_EQ(
      log.count("utility::CHttpDownload2FileSink::onHttpRecvHead", L"onHttpErro status = 407"), 2);
  EXPECT_EQ(log.count("CCurlDownloader::downloadFile", L"download file error proxy status 407"), 2);
  EXPECT_EQ(run.reported, (std::vector<std::string>{"download_fail failure_reason=0_0"}));
  ASSERT_FALSE(run.analytics.empty());
  EXPECT_EQ(run.analytics.front(), "ad_download_error:100");
}

// A source that failed after part of the file (here the host refused the rest
// with a 404) drops what it had: the spare source starts from zero, and the
// window's progress follows the source that runs.
TEST(SpareSource, StartsAnewAfterABadAnswerOfTheFirst) {
  const std::wstring good = standins::package(L"signed");
  const long size = (long)readFile(good).size();
  scriptHosts({serveFile(good, "\"cut\":" + std::to_string(size / 2) + ",\"rate\":" +
                                   std::to_string(size / 3)),
               "{\"status\":404}"},
              {serveFile(good, "\"rate\":" + std::to_string(size / 3))});
  ModelFixture f;
  DownloadRun run = download(f);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.hosts, (std::vector<std::string>{"primary", "primary", "spare"}));
  ASSERT_EQ(f.sourceStarts.size(), 1u);
  size_t spareStart = f.sourceStarts[0];
  ASSERT_GT(spareStart, 0u);
  ASSERT_LT(spareStart, f.progress.size());
  EXPECT_GE(f.progress[spareStart - 1].percent, 30);
  EXPECT_LT(f.progress[spareStart].percent, f.progress[spareStart - 1].percent);
  expectOrderWithinEachSource(f);
  // Nothing of it is kept for a next run.
  EXPECT_FALSE(utility::ufile::exists(f.keptFolder() + CAppModel::kKeptRecordName));
}

namespace {

// The size of a file, 0 when there is none.
long long sizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

}  // namespace

// A run that ended at 60 % (its process ended, as when the window is closed or
// it crashes) goes on from there in the next run, with either method, as long
// as the host has the same file; a changed file starts from zero. The kept
// download goes once the package has installed.
TEST_F(ResumedDownload, ARunEndedPartWayGoesOnInTheNext) {
  const std::string rate = "/rate/" + std::to_string(size_ / 8) + "/";
  struct Case {
    const char* what;
    std::string prefix;  // /libcurl-only: WinINet is refused, libcurl's rows run
    bool changed;
  } cases[] = {
      {"WinINet", "", false},
      {"libcurl", "/libcurl-only", false},
      {"WinINet, the file changed on the host meanwhile", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(real_servers::placeFile(standins::package(L"signed"), kPackage));
    testing_support::TempDir kept;
    const std::wstring parent = kept.path() + L"\\";
    const std::wstring primary = hostUrl(c.prefix + rate + kPackage);
    const std::wstring spare = hostUrl(c.prefix + "/files/missing.exe");
    real_servers::LogMark mark = real_servers::mark();

    // The first run, ended once it has 60 %.
    HANDLE first = utility::process::create(
        testing_support::exeFolder() + L"download_run.exe",
        L"\"" + primary + L"\" \"" + spare + L"\" \"" + kept.path() + L"\"", false);
    ASSERT_TRUE(first);
    const std::wstring partial =
        parent + CAppModel::kKeptDownloadFolder + L"\\" + CAppModel::kKeptBytesName;
    EXPECT_TRUE(testing_support::pumpUntil([&] { return sizeOf(partial) >= size_ * 6 / 10; },
                                           60000));
    TerminateProcess(first, 1);
    WaitForSingleObject(first, 10000);
    CloseHandle(first);
    const long long had = sizeOf(partial);
    ASSERT_LT(had, size_);
    std::wstring other = standins::package(L"signed_small");
    if (c.changed) {
      ASSERT_TRUE(real_servers::placeFile(other, kPackage));
    }

    // The next run.
    ModelFixture f(600000, testLimits(), parent);
    real_servers::LogMark nextMark = real_servers::mark();
    DownloadRun run = downloadFrom(f, primary, spare);
    ASSERT_TRUE(run.ok);
    std::vector<real_servers::HostRequest> next;
    for (const auto& request : real_servers::hostRequestsSince(nextMark))
      if (request.uri.find(kPackage) != std::string::npos && request.status != 404)
        next.push_back(request);
    ASSERT_FALSE(next.empty());
    if (c.changed) {
      EXPECT_EQ(next.front().status, 200);
      EXPECT_EQ(next.front().bodyBytes, (long long)readFile(other).size());
    } else {
      EXPECT_EQ(next.front().status, 206);
      EXPECT_EQ(next.front().range, "bytes=" + std::to_string(had) + "-");
      long long sent = 0;  // over both runs
      for (const auto& request : real_servers::hostRequestsSince(mark))
        if (request.status == 200 || request.status == 206) sent += request.bodyBytes;
      EXPECT_LE((double)sent / size_, 1.05);
      EXPECT_GE(f.progress.front().percent, 60);
    }
    std::wstring record = f.keptFolder() + CAppModel::kKeptRecordName;
    EXPECT_FALSE(utility::ufile::exists(record));  // the bytes moved on to the package
    install(f, nullptr, 2);
    EXPECT_TRUE(f.installOk);
    EXPECT_FALSE(utility::ufile::exists(f.keptFolder()));
  }
}

// The proxy decision is never made on the UI thread, where a script host that
// does not answer would freeze the window: there a host not decided yet gets
// the fixed settings alone. A worker makes the decision, with the script, and
// from then on the UI thread has it too.
TEST_F(ResumedDownload, TheProxyDecisionIsNeverMadeOnTheUiThread) {
  ModelFixture f;  // this thread is the UI thread
  const std::string script = "/proxy.pac?ui";
  SystemProxySettings settings(L"", L"", utility::utf8ToWide(real_servers::viaUrl(script)));
  const std::string url = real_servers::viaUrl(std::string("/files/") + kPackage);
  auto scriptsFetched = [&](const real_servers::LogMark& since) {
    int fetched = 0;
    for (const auto& request : real_servers::hostRequestsSince(since))
      if (request.uri == script) ++fetched;
    return fetched;
  };
  real_servers::LogMark mark = real_servers::mark();
  EXPECT_EQ(systemProxyFor(url).routes, std::vector<std::string>{""});
  EXPECT_EQ(scriptsFetched(mark), 0);

  CurlProxySettings decided;
  std::thread([&] { decided = systemProxyFor(url); }).join();
  const std::vector<std::string> proxy = {"http://" +
                                          utility::wideToUtf8(real_servers::proxyAddress())};
  EXPECT_EQ(decided.routes, proxy);
  EXPECT_EQ(scriptsFetched(mark), 1);
  EXPECT_EQ(systemProxyFor(url).routes, proxy);
}
