// The package download against two real loopback hosts: the four sources in
// order, the size and signature rules, the callbacks and the events.
#include <gtest/gtest.h>

#include "app/model_rules.h"
#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "tests/support/log_capture.h"
#include "utility/text.h"
#include "utility/ufile.h"

using namespace model_testing;
using testing_support::LogCapture;
using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

const std::string kNotFound = "{\"status\":404}";

}  // namespace

TEST(PackageDownload, SourcesAreTriedInOrderUntilOneIsAccepted) {
  struct Case {
    const char* what;
    std::vector<std::string> primary, spare;
    bool ok;
    std::vector<std::string> hosts;
    std::vector<std::string> reported;
    std::string analytics;
    int tooSmall = 0;  // "too small package" lines of the download worker
  } cases[] = {
      {"WinINet on the primary host",
       {serveFile(standins::package(L"signed"))}, {},
       true, {"primary"},
       {"ad_download_success ext_field=aws",
        "ad_download_duration duration=<int> ext_field=aws_ie"},
       "ad_download_sucess:100"},
      {"WinINet on the spare host",
       {kNotFound}, {serveFile(standins::package(L"signed"))},
       true, {"primary", "spare"},
       {"ad_download_success ext_field=res",
        "ad_download_duration duration=<int> ext_field=res_ie"},
       "ad_download_sucess:100"},
      {"a 9 MiB libcurl file is too small, a 12 MiB one from the spare host is taken",
       {kNotFound, serveFile(standins::package(L"signed_small"))},
       {kNotFound, serveFile(standins::package(L"signed"))},
       true, {"primary", "spare", "primary", "spare"},
       {"ad_download_success ext_field=res",
        "ad_download_duration duration=<int> ext_field=res_curl"},
       "ad_download_sucess:100", 1},
      {"unsigned, other-signer and tampered packages fall through to a good one",
       {serveFile(standins::package(L"unsigned")), serveFile(standins::package(L"tampered"))},
       {serveFile(standins::package(L"other_signer")), serveFile(standins::package(L"signed"))},
       true, {"primary", "spare", "primary", "spare"},
       {"ad_download_success ext_field=res",
        "ad_download_duration duration=<int> ext_field=res_curl"},
       "ad_download_sucess:100"},
      // This host names no version of its file: the rest cannot be asked for, so
      // the same source asks for the whole file again.
      {"a body cut short on WinINet is asked for again from the same host",
       {serveFile(standins::package(L"signed"), "\"cut\":4000000"),
        serveFile(standins::package(L"signed"))},
       {kNotFound},
       true, {"primary", "primary"},
       {"ad_download_success ext_field=aws",
        "ad_download_duration duration=<int> ext_field=aws_ie"},
       "ad_download_sucess:100"},
      {"every source fails",
       {kNotFound}, {kNotFound},
       false, {"primary", "spare", "primary", "spare"},
       {"download_fail failure_reason=0_0"},
       "ad_download_error:100", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    scriptHosts(c.primary, c.spare);
    ModelFixture f;
    LogCapture log;
    DownloadRun run = download(f);
    EXPECT_EQ(log.count("CAppModel::_threadDownloadPlayer", L"too small package"), c.tooSmall);
    EXPECT_EQ(run.ok, c.ok);
    EXPECT_EQ(run.hosts, c.hosts);
    EXPECT_EQ(run.reported, c.reported);
    ASSERT_FALSE(run.analytics.empty());
    EXPECT_EQ(run.analytics.front(), c.analytics);
    // The package lies in its private folder, never in the installation folder.
    std::wstring package = f.model().packageFolder() + L"Vorlane.exe";
    EXPECT_EQ(utility::ufile::exists(package), c.ok);
    EXPECT_FALSE(utility::ufile::exists(package + L".tmp"));
    EXPECT_EQ(f.model().packageFolder().empty(), !c.ok);  // a failed download leaves nothing
    EXPECT_FALSE(utility::ufile::exists(f.config().packagePath(f.model().m_installDir)));
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

// Every fault of a bad network on the primary host, met by both engines (the
// host answers WinINet's request and then libcurl's the same way), ends in the
// next source within a bounded time; the one file under the package's name is
// the good package from the spare host.
TEST(PackageDownload, FaultsOnThePrimaryHostEndInTheNextSource) {
  const DWORD kStallMs = 2000;  // the product waits 60 s; the rule is the same
  const std::wstring good = standins::package(L"signed");
  const std::string goodFile = serveFile(good);
  const std::string goodBytes = readFile(good);
  ASSERT_GT(goodBytes.size(), 11000000u);
  const int kAgain = -1;  // asked again until the source has gone 4 s without progress
  struct Case {
    const char* fault;
    std::string step;  // the primary host's answer, to each engine
    int asked;         // requests each engine makes of the primary host (0: refused)
    bool slow = false;  // the answer outlasts the stall limit and must go out whole
  } cases[] = {
      {"404", kNotFound, 1},
      {"500", "{\"status\":500}", 1},
      {"a redirect loop: five are followed", "{\"redirect\":\"loop\"}", 6},
      // This host names no version: the whole file again, cut at the same
      // place, is no progress.
      {"a body cut short", serveFile(good, "\"cut\":4000000"), kAgain},
      {"no length, cut after 11 MB", serveFile(good, "\"nolength\":true,\"cut\":11000000"), 1},
      {"an HTML page with status 200", "{\"html\":2048}", 1},
      {"connection refused", kNotFound, 0},
      {"accepts and never answers", "{\"hang\":\"request\"}", kAgain},
      {"the head, then nothing", serveFile(good, "\"hang\":\"body\""), kAgain},
      {"a page at 1 KiB/s, longer than the stall limit", "{\"html\":6144,\"rate\":1024}", 1,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    scriptHosts({c.step, c.step}, {kNotFound, goodFile});
    ModelFixture f(600000, kStallMs);
    DownloadRun run =
        download(f, c.asked == 0 ? testing_support::testServerUrl("CLOSED") : std::wstring());
    EXPECT_TRUE(run.ok);
    EXPECT_LT(run.elapsedMs, 40000u);
    // Each engine: the primary host so many times, then the spare one.
    std::vector<std::string> hosts;
    for (int engine = 0; engine < 2; ++engine) {
      size_t asked = 0;
      while (run.hosts.size() > hosts.size() + asked && run.hosts[hosts.size() + asked] == "primary")
        ++asked;
      if (c.asked == kAgain) {
        EXPECT_GE(asked, 2u) << engine;
        EXPECT_LE(asked, 20u) << engine;  // back-offs of up to 0.4 s
      } else {
        EXPECT_EQ(asked, (size_t)c.asked) << engine;
      }
      hosts.insert(hosts.end(), asked, "primary");
      hosts.push_back("spare");
    }
    EXPECT_EQ(run.hosts, hosts);
    EXPECT_EQ(run.reported, (std::vector<std::string>{
                                "ad_download_success ext_field=res",
                                "ad_download_duration duration=<int> ext_field=res_curl"}));
    ASSERT_FALSE(run.analytics.empty());
    EXPECT_EQ(run.analytics.front(), "ad_download_sucess:100");
    std::wstring package = f.model().packageFolder() + L"Vorlane.exe";
    EXPECT_TRUE(readFile(package) == goodBytes);
    EXPECT_FALSE(utility::ufile::exists(package + L".tmp"));
    // A transfer that still moves is never cut.
    if (c.slow) {
      for (const auto& request : hostRequests()) EXPECT_TRUE(request.done) << request.host;
    }
  }
}

// Hosts that never answer: each source waits them out for 4 s (the product: two
// minutes), then the download waits for the network (the product: ten minutes),
// asking both hosts whether they answer, and ends in the failure path.
TEST(PackageDownload, StallsEverywhereEndInTheFailurePath) {
  scriptHosts({"{\"hang\":\"request\"}"}, {"{\"hang\":\"request\"}"});
  ModelFixture f(600000, 2000);
  DownloadRun run = download(f);
  EXPECT_FALSE(run.ok);
  EXPECT_LT(run.elapsedMs, 40000u);
  EXPECT_GT(f.reconnects, 0);
  // The sources in order, each asking again; then the network probes of both hosts.
  std::vector<std::string> sources;
  for (const auto& host : run.hosts)
    if (sources.empty() || sources.back() != host) sources.push_back(host);
  ASSERT_GE(sources.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(sources.begin(), sources.begin() + 4),
            (std::vector<std::string>{"primary", "spare", "primary", "spare"}));
  EXPECT_GT(run.hosts.size(), 8u);
  EXPECT_EQ(run.reported, (std::vector<std::string>{"download_fail failure_reason=0_0"}));
  ASSERT_FALSE(run.analytics.empty());
  EXPECT_EQ(run.analytics.front(), "ad_download_error:100");
  EXPECT_TRUE(f.model().packageFolder().empty());
}

// One slow body per engine: WinINet's progress carries bytes and the total,
// libcurl's percentages only; both reach the window at most once a second,
// except WinINet's last report, all of the file, which always comes.
TEST(PackageDownload, ProgressReachesTheWindowAtMostOnceASecond) {
  const std::wstring good = standins::package(L"signed");
  const long size = (long)readFile(good).size();
  const std::string slow = serveFile(good, "\"rate\":" + std::to_string(size / 4));  // ~4 s
  struct Case {
    const char* engine;
    std::vector<std::string> primary, spare;
    bool bytes;  // the reports carry received and total
  } cases[] = {
      {"WinINet", {slow}, {}, true},
      {"libcurl", {kNotFound, slow}, {kNotFound}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.engine);
    scriptHosts(c.primary, c.spare);
    ModelFixture f;
    ASSERT_TRUE(download(f).ok);
    const auto& reports = f.progress;
    ASSERT_GE(reports.size(), 2u);
    if (c.bytes) {
      EXPECT_EQ(reports.back().received, size);
      EXPECT_EQ(reports.back().percent, 100);
    }
    for (size_t i = 0; i < reports.size(); ++i) {
      const ProgressReport& r = reports[i];
      EXPECT_GE(r.percent, 0);
      EXPECT_LE(r.percent, c.bytes ? 100 : 99);
      if (c.bytes) {
        EXPECT_EQ(r.total, size);
        EXPECT_EQ(r.percent, (int)((double)r.received / size * 100.0));
      } else {
        EXPECT_EQ(r.received, -1);
      }
      if (i == 0) continue;
      EXPECT_GE(r.percent, reports[i - 1].percent);
      if (c.bytes) {
        EXPECT_GT(r.received, reports[i - 1].received);
      }
      // Posted from the worker: the UI thread may see them a little closer.
      if (!(c.bytes && i + 1 == reports.size())) {
        EXPECT_GE(r.tick - reports[i - 1].tick, 900u);
      }
    }
  }
}
