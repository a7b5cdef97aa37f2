#include "report/reporter.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "report/event_names.h"
#include "report/md5.h"
#include "tests/support/telemetry_endpoint.h"
#include "tests/support/log_capture.h"
#include "utility/text.h"

using testing_support::acceptedCount;
using testing_support::attemptCount;
using testing_support::LogCapture;
using testing_support::TelemetryEndpoint;

namespace {

constexpr char kThread[] = "CReporter::_threadReport";
constexpr wchar_t kDeviceId[] = L"2-95a423162502a2679fca05f9c84a6dbb";

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// The event keys of one accepted batch, oldest first.
std::vector<std::string> eventKeys(const rapidjson::Value& batch) {
  rapidjson::Document body;
  body.Parse(batch["body"].GetString());
  std::vector<std::string> keys;
  for (const auto& event : body.GetArray()) keys.push_back(event["eventKey"].GetString());
  return keys;
}

class ReporterTest : public ::testing::Test {
 protected:
  ReporterTest() : endpoint_("REPORT") {}

  ReporterOptions options(DWORD cycleMs = 60000) const {
    return {endpoint_.url("/collection/biz/upload"), cycleMs};
  }
  // Lines of the worker that begin with `start`.
  int workerLines(const std::wstring& start) const {
    int n = 0;
    for (const auto& line : log_.lines())
      if (line.function == kThread && line.message.rfind(start, 0) == 0) ++n;
    return n;
  }

  LogCapture log_;
  TelemetryEndpoint endpoint_;
};

}  // namespace

TEST_F(ReporterTest, TwoEventsInOnePassTravelAsOneBatchSignedWith2048) {
  CReporter reporter(options());
  const int64_t before = reportEventTimeMs();
  reporter.addEvent(events::report::kDownloadSuccess, reportProperties({{"ext_field", L"aws"}}));
  reporter.addEvent(events::report::kRunDownloader);
  reporter.init(L"100", kDeviceId, L"en");
  reporter.notify();

  auto got = endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 1; });
  const int64_t after = reportEventTimeMs();
  ASSERT_EQ(acceptedCount(got), 1);
  EXPECT_EQ(got["rejected"].Size(), 0u);
  const auto& batch = got["accepted"][0];
  EXPECT_EQ(batch["count"].GetInt(), 2);
  EXPECT_EQ(eventKeys(batch),
            (std::vector<std::string>{"ad_download_success", "ad_run_downloader"}));

  // The signature is the tail of the digest over the request time and 2 x 1024.
  const std::string stamp = batch["timestamp"].GetString();
  const std::string input = "quandrel*timestamp=" + stamp + "2048";
  std::string digest;
  ASSERT_TRUE(md5Hex(input.data(), (int)input.size(), digest));
  EXPECT_EQ(batch["signature"].GetString(), digest.substr(24));
  EXPECT_GE(std::stoll(stamp), before);
  EXPECT_LT(std::stoll(stamp), after + 1000);

  ASSERT_TRUE(waitUntil([&] { return workerLines(L"report ret:") == 1; }));
  std::vector<std::wstring> worker;
  for (const auto& line : log_.lines())
    if (line.function == kThread) worker.push_back(line.message);
  ASSERT_GE(worker.size(), 6u);
  EXPECT_EQ(worker[0], L"waitfor event");
  EXPECT_EQ(worker[1], L"event comming");
  // The body as one log line: its line breaks are written as "\n".
  std::wstring body = utility::ansiToWide(batch["body"].GetString());
  for (size_t at = 0; (at = body.find(L'\n', at)) != std::wstring::npos; at += 2)
    body.replace(at, 1, L"\\n");
  EXPECT_EQ(worker[2], body);
  EXPECT_EQ(worker[3], L"post report quest");
  EXPECT_EQ(worker[4], L"report ret:{\"code\": 0, \"msg\": \"ok\", \"count\": 2}");
  EXPECT_EQ(worker[5], L"waitfor event");
  reporter.shutdown();
}

TEST_F(ReporterTest, PassesWithAnEmptyQueueSendNothingUntilAnEventArrives) {
  CReporter reporter(options(100));
  reporter.init(L"100", kDeviceId, L"en");
  ASSERT_TRUE(waitUntil([&] { return workerLines(L"no body") >= 3; }));
  EXPECT_EQ(attemptCount(endpoint_.received()), 0);

  // No notify: the end of the cycle is enough.
  reporter.addEvent(events::report::kStartDownloader);
  auto got = endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 1; }, 3000);
  ASSERT_EQ(acceptedCount(got), 1);
  EXPECT_EQ(eventKeys(got["accepted"][0]), (std::vector<std::string>{"ad_start_downloader"}));
  reporter.shutdown();
}

TEST_F(ReporterTest, FailedPostIsRetriedOnceAfter100msThenTheBatchIsGone) {
  struct Case {
    int failures;
    int attempts;
    bool delivered;
  } cases[] = {{0, 1, true}, {1, 2, true}, {2, 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failures);
    TelemetryEndpoint endpoint("REPORT");
    log_.clear();
    endpoint.failNext(c.failures);
    CReporter reporter(options());
    reporter.addEvent(events::report::kInstallFail,
                      reportProperties({{"failure_reason", L"errorcode_5"}}));
    reporter.init(L"100", kDeviceId, L"en");
    reporter.notify();
    ASSERT_TRUE(waitUntil([&] { return workerLines(L"report ret:") == 1; }));

    auto got = endpoint.received();
    EXPECT_EQ(attemptCount(got), c.attempts);
    EXPECT_EQ(acceptedCount(got), c.delivered ? 1 : 0);
    if (c.attempts == 2) {
      EXPECT_GE(got["gaps_ms"][0].GetInt(), 90);
    }
    // The response of the attempt that got through, or nothing.
    EXPECT_EQ(log_.count(kThread, c.delivered ? L"report ret:{\"code\": 0, \"msg\": \"ok\", "
                                                L"\"count\": 1}"
                                              : L"report ret:"),
              1);

    // A lost batch is not queued again: the next pass carries only new events.
    reporter.addEvent(events::report::kInstallSuccess);
    reporter.notify();
    got =
        endpoint.waitFor([&](const auto& r) { return acceptedCount(r) == (c.delivered ? 2 : 1); });
    const auto& accepted = got["accepted"];
    ASSERT_EQ(acceptedCount(got), c.delivered ? 2 : 1);
    EXPECT_EQ(eventKeys(accepted[accepted.Size() - 1]),
              (std::vector<std::string>{"ad_install_success"}));
    reporter.shutdown();
  }
}

TEST_F(ReporterTest, ShutdownPostsTheLastBatchAndLaterEventsStay) {
  CReporter reporter(options());
  reporter.init(L"100", kDeviceId, L"en");
  ASSERT_TRUE(waitUntil([&] { return workerLines(L"waitfor event") == 1; }));
  reporter.addEvent(events::report::kCancelDownload,
                    reportProperties({{"ext_field", L"notDownload"}}));
  const DWORD start = GetTickCount();
  reporter.shutdown();
  EXPECT_LT(GetTickCount() - start, 5000u);

  // Posted before shutdown returned, in one last pass.
  auto got = endpoint_.received();
  ASSERT_EQ(acceptedCount(got), 1);
  EXPECT_EQ(eventKeys(got["accepted"][0]), (std::vector<std::string>{"ad_cancel_download"}));
  EXPECT_EQ(workerLines(L"waitfor event"), 1);

  reporter.addEvent(events::report::kJumpToWeb);
  reporter.notify();
  Sleep(300);
  EXPECT_EQ(attemptCount(endpoint_.received()), 1);
}

TEST_F(ReporterTest, ShutdownEndsAWorkerStuckInAPostAfter8000ms) {
  endpoint_.hold(true);
  CReporter reporter(options());
  reporter.addEvent(events::report::kInstallSuccess);
  reporter.init(L"100", kDeviceId, L"en");
  reporter.notify();
  ASSERT_TRUE(endpoint_.waitUntilHeld(1));
  // Queued while the last batch is being posted: never sent.
  reporter.addEvent(events::report::kDownloaderFullDuration, reportProperties({{"duration", 9}}));

  const DWORD start = GetTickCount();
  reporter.shutdown();
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 7900u);
  EXPECT_LT(elapsed, 9500u);

  endpoint_.hold(false);
  Sleep(500);
  auto got = endpoint_.received();
  EXPECT_EQ(attemptCount(got), 1);
  EXPECT_EQ(eventKeys(got["accepted"][0]), (std::vector<std::string>{"ad_install_success"}));
}

TEST_F(ReporterTest, DropRuleDropsEveryEventWithoutRunningItsFill) {
  bool variant40 = true;  // what the product's rule asks of its configuration
  CReporter reporter(options());
  reporter.setDropRule([&] { return variant40; });
  log_.clear();
  bool filled = false;
  reporter.addEvent(events::report::kRunDownloader,
                    [&](rapidjson::Value&, rapidjson::Document::AllocatorType&) { filled = true; });
  reporter.addEvent(events::report::kCancelDownload,
                    reportProperties({{"ext_field", L"system32"}}));
  EXPECT_EQ(log_.count("CReporter::addEvent", L"player 4 32. not report!"), 2);

  // The rule is asked for each event.
  variant40 = false;
  reporter.addEvent(events::report::kInstallSuccess);
  reporter.init(L"100", kDeviceId, L"en");
  reporter.notify();
  auto got = endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 1; });
  reporter.shutdown();
  EXPECT_FALSE(filled);
  ASSERT_EQ(acceptedCount(got), 1);
  EXPECT_EQ(eventKeys(got["accepted"][0]), (std::vector<std::string>{"ad_install_success"}));

  // Without a rule nothing is dropped.
  CReporter plain(options());
  plain.addEvent(events::report::kRunDownloader);
  EXPECT_EQ(log_.count("CReporter::addEvent", L"player 4 32. not report!"), 2);
}

TEST(ReportCycle, WaitsForTheSignalOrTheWholeCycleEvenWithoutAnEvent) {
  std::atomic<bool> quit{false};
  HANDLE wake = CreateEventW(nullptr, FALSE, TRUE, nullptr);  // already signalled
  DWORD start = GetTickCount();
  waitForReportCycle(wake, 60000, quit);
  EXPECT_LT(GetTickCount() - start, 1000u);
  CloseHandle(wake);

  // No event could be made: the worker must not spin, it waits its cycle.
  start = GetTickCount();
  waitForReportCycle(nullptr, 400, quit);
  EXPECT_GE(GetTickCount() - start, 390u);

  // ... and the shut-down still ends the wait.
  std::thread stopper([&] {
    Sleep(200);
    quit = true;
  });
  start = GetTickCount();
  waitForReportCycle(nullptr, 60000, quit);
  EXPECT_LT(GetTickCount() - start, 2000u);
  stopper.join();
}

TEST_F(ReporterTest, EventsFromSeveralThreadsEachArriveOnce) {
  CReporter reporter(options(30));
  reporter.init(L"100", kDeviceId, L"en");
  std::vector<std::thread> producers;
  for (int t = 0; t < 4; ++t)
    producers.emplace_back([&reporter, t] {
      for (int i = 0; i < 25; ++i) {
        std::wstring key = L"thread" + std::to_wstring(t) + L"_" + std::to_wstring(i);
        reporter.addEvent(key.c_str());
        if (i % 5 == 0) Sleep(7);
      }
    });
  for (auto& producer : producers) producer.join();

  std::multiset<std::string> keys;
  endpoint_.waitFor([&](const auto& r) {
    keys.clear();
    for (const auto& batch : r["accepted"].GetArray())
      for (const auto& key : eventKeys(batch)) keys.insert(key);
    return keys.size() >= 100;
  });
  reporter.shutdown();
  EXPECT_EQ(keys.size(), 100u);
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), 100u);
  EXPECT_EQ(endpoint_.received()["rejected"].Size(), 0u);
}
