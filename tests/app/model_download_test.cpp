// The package download against two real loopback hosts: the four sources in
// order, the size and signature rules, the callbacks and the events.
#include <gtest/gtest.h>

#include "app/model_rules.h"
#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "utility/text.h"
#include "utility/ufile.h"

using namespace model_testing;
using testing_support::pumpUntil;

namespace {

const std::string kNotFound = "{\"status\":404}";

struct DownloadRun {
  bool ok;
  std::vector<std::string> hosts;
  std::vector<std::string> reported;
  std::vector<std::string> analytics;
};

DownloadRun download(ModelFixture& f) {
  CAppModel& model = f.model();
  model.m_url = testing_support::testServerUrl("PRIMARY") + L"/download/package/Vorlane9.0.exe";
  model.m_spareUrl = testing_support::testServerUrl("SPARE") + L"/download/package/Vorlane9.0.exe";
  model.startDownloadPlayer();
  EXPECT_TRUE(pumpUntil([&] { return f.downloadsDone + f.downloadsFailed > 0; }, 60000));
  // The worker queues its events after it told the window.
  EXPECT_TRUE(pumpUntil([&] { return !model.m_downloadThread.isRunning(); }, 10000));
  f.reporter().notify();
  auto reported = f.collection().waitFor([](const auto& r) { return reportedEvents(r).size() >= 1; });
  auto analytics = f.analytics().waitFor([](const auto& r) { return analyticsEvents(r).size() >= 1; });
  return {f.downloadsDone == 1, requestedHosts(), reportedEvents(reported), analyticsEvents(analytics)};
}

}  // namespace

TEST(PackageDownload, SourcesAreTriedInOrderUntilOneIsAccepted) {
  struct Case {
    const char* what;
    std::vector<std::string> primary, spare;
    bool ok;
    std::vector<std::string> hosts;
    std::vector<std::string> reported;
    std::string analytics;
  } cases[] = {
      {"WinINet on the primary host",
       {serveFile(standins::package(L"signed"))}, {},
       true, {"primary"},
       {"ad_download_success ext_field=aws", "ad_download_duration ext_field=aws_ie duration"},
       "ad_download_sucess:100"},
      {"WinINet on the spare host",
       {kNotFound}, {serveFile(standins::package(L"signed"))},
       true, {"primary", "spare"},
       {"ad_download_success ext_field=res", "ad_download_duration ext_field=res_ie duration"},
       "ad_download_sucess:100"},
      {"a 9 MiB libcurl file is too small, a 12 MiB one from the spare host is taken",
       {kNotFound, serveFile(standins::package(L"signed_small"))},
       {kNotFound, serveFile(standins::package(L"signed"))},
       true, {"primary", "spare", "primary", "spare"},
       {"ad_download_success ext_field=res", "ad_download_duration ext_field=res_curl duration"},
       "ad_download_sucess:100"},
      {"unsigned, other-signer and tampered packages fall through to a good one",
       {serveFile(standins::package(L"unsigned")), serveFile(standins::package(L"tampered"))},
       {serveFile(standins::package(L"other_signer")), serveFile(standins::package(L"signed"))},
       true, {"primary", "spare", "primary", "spare"},
       {"ad_download_success ext_field=res", "ad_download_duration ext_field=res_curl duration"},
       "ad_download_sucess:100"},
      {"a body cut short on WinINet, then libcurl on the primary host",
       {serveFile(standins::package(L"signed"), 4000000), serveFile(standins::package(L"signed"))},
       {kNotFound},
       true, {"primary", "spare", "primary"},
       {"ad_download_success ext_field=aws", "ad_download_duration ext_field=aws_curl duration"},
       "ad_download_sucess:100"},
      {"every source fails",
       {kNotFound}, {kNotFound},
       false, {"primary", "spare", "primary", "spare"},
       {"download_fail failure_reason=0_0"},
       "ad_download_error:100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    scriptHosts(c.primary, c.spare);
    ModelFixture f;
    DownloadRun run = download(f);
    EXPECT_EQ(run.ok, c.ok);
    EXPECT_EQ(run.hosts, c.hosts);
    EXPECT_EQ(run.reported, c.reported);
    ASSERT_FALSE(run.analytics.empty());
    EXPECT_EQ(run.analytics.front(), c.analytics);
    std::wstring package = f.config().packagePath(f.model().m_installDir);
    EXPECT_EQ(utility::ufile::exists(package), c.ok);
    EXPECT_FALSE(utility::ufile::exists(package + L".tmp"));
  }
}

TEST(PackageDownload, WaitsForAddressesWhenNoneAreKnownYet) {
  ModelFixture f;
  if (f.config().packageUrl().find(L"//127.0.0.1:") == std::wstring::npos)
    GTEST_SKIP() << "only with the loopback build's addresses";
  ASSERT_TRUE(f.model().m_url.empty());
  f.model().startDownloadPlayer();
  // The retry tick takes the variant's own addresses (the loopback build's
  // fixed ports, where nothing answers) and starts the worker.
  EXPECT_TRUE(pumpUntil([&] { return f.downloadsFailed > 0; }, 60000));
  EXPECT_EQ(f.model().m_url, f.config().packageUrl());
  EXPECT_EQ(f.model().m_spareUrl, f.config().sparePackageUrl());
}
