// The package download against Debian's nginx over HTTPS with its connections
// cut part-way (tests/servers/real_servers.py): each method goes on within its
// source, the package installs, and the events are those of the source that
// brought it, as when nothing was cut.
#include <gtest/gtest.h>

#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/real_servers.h"
#include "utility/text.h"

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
      {"three cuts in a row: the next source",
       cutAt("cut-always", 20),
       std::string("/files/") + kPackage,
       {200, 206, 206, 206, 200},
       {"ad_download_success ext_field=res",
        "ad_download_duration duration=<int> ext_field=res_ie"}},
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
    // The percentages count on from the bytes already there.
    for (size_t i = 1; i < f.progress.size(); ++i)
      EXPECT_GE(f.progress[i].percent, f.progress[i - 1].percent);
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
