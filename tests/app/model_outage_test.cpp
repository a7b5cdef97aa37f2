// Outages in the middle of a package download, at the product's own limits,
// over Debian's nginx behind a relay that stops answering on request
// (tests/servers/outage_relay.py): the host refuses connections, or accepts
// them and says nothing, for 30 s or 90 s. Both methods at once, each with a
// model of its own: the download waits the outage out, says so, and goes on
// from where it was without asking the spare host.
#include <gtest/gtest.h>

#include <memory>

#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/real_servers.h"
#include "utility/text.h"

using namespace model_testing;
using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

// One method's download: its model, the package's name on the host and the
// spare address it must never need.
struct MethodRun {
  const char* method;
  std::string package;
  std::string spare;
  std::unique_ptr<ModelFixture> f;
};

class OutageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!real_servers::available()) GTEST_SKIP() << "nginx and tinyproxy are not installed";
    std::wstring package = standins::package(L"signed");
    size_ = (long long)readFile(package).size();
    for (const char* name : {"outage-ie.exe", "outage-curl.exe"})
      ASSERT_TRUE(real_servers::placeFile(package, name));
  }

  // Starts both methods' downloads at about 15 s each, waits until both are
  // past 30 %, has the outage, and waits for both to end.
  std::vector<MethodRun> downloadThrough(const char* kind, int seconds) {
    const std::string rate = "/rate/" + std::to_string(size_ / 15) + "/";
    std::vector<MethodRun> runs;
    // WinINet on the primary host; nginx answers its requests under
    // /libcurl-only/ with 404, so that there the libcurl rows run.
    runs.push_back({"WinINet", "outage-ie.exe", "spare-ie.exe", nullptr});
    runs.push_back({"libcurl", "outage-curl.exe", "spare-curl.exe", nullptr});
    for (auto& run : runs) {
      run.f = std::make_unique<ModelFixture>(600000, DownloadLimits{});
      std::string prefix = run.method == std::string("libcurl") ? "/libcurl-only" : "";
      run.f->model().m_url = utility::utf8ToWide(real_servers::outageUrl(prefix + rate + run.package));
      run.f->model().m_spareUrl =
          utility::utf8ToWide(real_servers::outageUrl(prefix + "/files/" + run.spare));
    }
    mark_ = real_servers::mark();
    for (auto& run : runs) run.f->model().startDownloadPlayer();
    auto pastAThird = [&] {
      for (auto& run : runs)
        if (run.f->progress.empty() || run.f->progress.back().percent < 30) return false;
      return true;
    };
    EXPECT_TRUE(pumpUntil(pastAThird, 60000));
    started_ = GetTickCount();
    EXPECT_TRUE(real_servers::startOutage(kind, seconds));
    auto ended = [&] {
      for (auto& run : runs)
        if (run.f->downloadsDone + run.f->downloadsFailed == 0) return false;
      return true;
    };
    EXPECT_TRUE(pumpUntil(ended, (seconds + 200) * 1000));
    return runs;
  }

  // The host sent the package once, and then only the rest (when the
  // connection broke; one that lived through the outage just went on, and
  // then there was nothing more), never the spare; at most 5 % more than the
  // package in all.
  void expectGoneOnFromWhereItWas(const MethodRun& run, bool broken = true) {
    long long sent = 0;
    int wholeAnswers = 0, rests = 0, spareAsked = 0;
    for (const auto& request : real_servers::hostRequestsSince(mark_)) {
      if (request.uri.find(run.spare) != std::string::npos && request.status != 404) ++spareAsked;
      if (request.uri.find(run.package) == std::string::npos) continue;
      if (request.status == 200) ++wholeAnswers;
      if (request.status == 206) ++rests;
      if (request.status == 200 || request.status == 206) sent += request.bodyBytes;
    }
    EXPECT_EQ(wholeAnswers, 1);
    EXPECT_EQ(rests >= 1, broken);
    EXPECT_EQ(spareAsked, 0);
    EXPECT_LE((double)sent / size_, 1.05);
  }

  long long size_ = 0;
  real_servers::LogMark mark_;
  DWORD started_ = 0;
};

}  // namespace

TEST_F(OutageTest, RefusedOrSilentFor30Or90SecondsIsWaitedOut) {
  struct Case {
    const char* kind;
    int seconds;
    // A host silent for less than the stall limit (60 s) keeps the
    // connection, and the transfer goes on in it: nothing to reconnect.
    bool broken;
  } cases[] = {
      {"refuse", 30, true}, {"silent", 30, false}, {"refuse", 90, true}, {"silent", 90, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.seconds) + " s");
    std::vector<MethodRun> runs = downloadThrough(c.kind, c.seconds);
    for (const auto& run : runs) {
      SCOPED_TRACE(run.method);
      EXPECT_EQ(run.f->downloadsDone, 1);
      // The window said it waits for the connection.
      EXPECT_EQ(run.f->reconnects > 0, c.broken);
      expectGoneOnFromWhereItWas(run, c.broken);
    }
    // Nothing came while the host was away.
    EXPECT_GE(GetTickCount() - started_, (DWORD)c.seconds * 1000);
  }
}

// A real link-down: the loopback link of a network namespace of the test's own
// goes down for 30 s (the test runs inside it; see tests/app/CMakeLists.txt).
TEST_F(OutageTest, ALinkDownIsWaitedOut) {
  char inside[8] = {};
  if (!GetEnvironmentVariableA("VORLANE_TEST_OWN_NETWORK", inside, sizeof(inside)))
    GTEST_SKIP() << "runs only in a network namespace of its own";
  std::vector<MethodRun> runs = downloadThrough("linkdown", 30);
  std::vector<std::string> log = real_servers::outageLog();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("end linkdown"), std::string::npos) << log.back();
  for (const auto& run : runs) {
    SCOPED_TRACE(run.method);
    EXPECT_EQ(run.f->downloadsDone, 1);
    // (A connection may live through 30 s of a link down, or break.)
    expectGoneOnFromWhereItWas(run, run.f->reconnects > 0);
  }
}

// Every source fails for want of a connection (here each gives up after 2 s
// without progress; the product after two minutes): the download waits for
// the network, and once a host answers again it carries on by itself from the
// first source, going on from the bytes it kept.
TEST_F(OutageTest, WhenEverySourceIsGoneTheDownloadWaitsForTheNetwork) {
  DownloadLimits limits = testLimits(2000);
  limits.noProgressMs = 2000;
  limits.networkWaitMs = 120000;
  ModelFixture f(600000, limits);
  const std::string rate = "/rate/" + std::to_string(size_ / 10) + "/";
  f.model().m_url = utility::utf8ToWide(real_servers::outageUrl(rate + "outage-ie.exe"));
  f.model().m_spareUrl = utility::utf8ToWide(real_servers::outageUrl("/files/spare-ie.exe"));
  testing_support::LogCapture log;
  real_servers::LogMark mark = real_servers::mark();
  f.model().startDownloadPlayer();
  EXPECT_TRUE(pumpUntil([&] { return !f.progress.empty() && f.progress.back().percent >= 30; },
                        60000));
  const int kOutageSeconds = 25;  // longer than the four sources' 2 s each
  ASSERT_TRUE(real_servers::startOutage("refuse", kOutageSeconds));
  EXPECT_TRUE(pumpUntil([&] { return f.downloadsDone + f.downloadsFailed > 0; }, 120000));
  EXPECT_EQ(f.downloadsDone, 1);
  EXPECT_EQ(log.count("CAppModel::_waitForNetwork", L"the network is back"), 1);
  EXPECT_GT(f.reconnects, 0);
  // The first source again, from the bytes it had (besides the probe that
  // found the host back: a request for its first byte).
  std::vector<real_servers::HostRequest> answered;
  int probes = 0;
  for (const auto& request : real_servers::hostRequestsSince(mark)) {
    if (request.uri.find("outage-ie.exe") == std::string::npos) continue;
    if (request.range == "bytes=0-0")
      ++probes;
    else
      answered.push_back(request);
  }
  EXPECT_EQ(probes, 1);
  ASSERT_EQ(answered.size(), 2u);
  EXPECT_EQ(answered[0].status, 200);
  EXPECT_EQ(answered[1].status, 206);
  long long sent = answered[0].bodyBytes + answered[1].bodyBytes;
  EXPECT_LE((double)sent / size_, 1.05);
  EXPECT_TRUE(f.config().useIe);
  EXPECT_FALSE(f.config().useSpareUrl);
  EXPECT_TRUE(pumpUntil([&] { return !f.model().m_downloadThread.isRunning(); }, 10000));
}
