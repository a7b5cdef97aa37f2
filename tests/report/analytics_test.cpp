#include <gtest/gtest.h>

#include "report/analytics_request.h"
#include "report/event_names.h"
#include "report/google_analytics.h"
#include "tests/support/telemetry_endpoint.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "vorlane_hosts.h"

using testing_support::acceptedCount;
using testing_support::attemptCount;
using testing_support::LogCapture;
using testing_support::TelemetryEndpoint;
using testing_support::TempDir;

namespace {

constexpr wchar_t kMeasurementId[] = L"G-J50CE9UVW5";
constexpr wchar_t kApiSecret[] = L"6ilI8ihN5KXSc7Tvo_hBKq";
constexpr wchar_t kPcid[] = L"2-95a423162502a2679fca05f9c84a6dbb";

// A client of the test endpoint whose PC id is already in its private registry key.
class AnalyticsTest : public ::testing::Test {
 protected:
  AnalyticsTest() : endpoint_("ANALYTICS") {}
  void SetUp() override {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VorlaneTests\\vlen", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"pcmac", 0, REG_SZ, (const BYTE*)kPcid, sizeof(kPcid));
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlaneTests"); }

  AnalyticsOptions options() const {
    return {endpoint_.wideUrl("/mp/collect"),
            {"Software\\VorlaneTests\\vlen\\", dir_.file(L"tormic_nuvaro.data")}};
  }
  // The started client as the model's start-up leaves it.
  std::unique_ptr<GoogleAnalytics> client() const {
    auto analytics = std::make_unique<GoogleAnalytics>(options());
    analytics->init(kMeasurementId, kApiSecret);
    analytics->pcid();
    return analytics;
  }
  static std::string label(const rapidjson::Value& accepted) {
    return accepted["events"][0]["params"]["event_label"].GetString();
  }

  TempDir dir_;
  TelemetryEndpoint endpoint_;
};

}  // namespace

TEST(AnalyticsRequest, BodyIsCompactJsonOfOneEvent) {
  struct Case {
    const wchar_t* name;
    const wchar_t* label;
    const char* body;
  } cases[] = {
      {L"ad_run", L"100",
       R"({"client_id":"2-ab","events":[{"name":"ad_run",)"
       R"("params":{"event_category":"5.21","event_label":"100"}}]})"},
      {L"ad_installError", L"a\"b\\c",
       R"({"client_id":"2-ab","events":[{"name":"ad_installError",)"
       R"("params":{"event_category":"5.21","event_label":"a\"b\\c"}}]})"},
  };
  for (const auto& c : cases) EXPECT_EQ(buildAnalyticsBody("2-ab", c.name, c.label), c.body);
}

TEST(AnalyticsRequest, AddressCarriesBothKeysAsTheyAre) {
  EXPECT_EQ(
      analyticsUrl(L"https://www.google-analytics.com/mp/collect", kMeasurementId, kApiSecret),
      L"https://www.google-analytics.com/mp/collect?measurement_id=G-J50CE9UVW5"
      L"&api_secret=6ilI8ihN5KXSc7Tvo_hBKq");
  EXPECT_EQ(AnalyticsOptions::defaultEndpoint(), std::wstring(hosts::kAnalytics) + L"/mp/collect");
}

TEST_F(AnalyticsTest, QueuedEventsArriveOneByOneInOrder) {
  auto analytics = client();
  analytics->sendEvent(events::analytics::kRun, L"100");
  analytics->sendEvent(events::analytics::kInstallError, L"100_errCreateProcess_2");
  analytics->sendEvent(events::analytics::kDownloadSucess, L"100");

  auto got = endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 3; });
  ASSERT_EQ(acceptedCount(got), 3);
  EXPECT_EQ(got["rejected"].Size(), 0u);
  const char* names[] = {"ad_run", "ad_installError", "ad_download_sucess"};
  const char* labels[] = {"100", "100_errCreateProcess_2", "100"};
  for (int i = 0; i < 3; ++i) {
    const auto& event = got["accepted"][i];
    EXPECT_STREQ(event["events"][0]["name"].GetString(), names[i]);
    EXPECT_EQ(label(event), labels[i]);
    EXPECT_STREQ(event["client_id"].GetString(), "2-95a423162502a2679fca05f9c84a6dbb");
    EXPECT_STREQ(event["query"]["measurement_id"][0].GetString(), "G-J50CE9UVW5");
    EXPECT_STREQ(event["query"]["api_secret"][0].GetString(), "6ilI8ihN5KXSc7Tvo_hBKq");
  }
  EXPECT_STREQ(got["accepted"][0]["body"].GetString(),
               R"({"client_id":"2-95a423162502a2679fca05f9c84a6dbb","events":[{"name":"ad_run",)"
               R"("params":{"event_category":"5.21","event_label":"100"}}]})");
}

TEST_F(AnalyticsTest, NonAsciiTextsArriveInUtf8) {
  auto analytics = client();
  analytics->sendEvent(L"ad_caf\u00e9", L"libert\u00e9");
  auto got = endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 1; });
  ASSERT_EQ(acceptedCount(got), 1);
  EXPECT_STREQ(got["accepted"][0]["events"][0]["name"].GetString(), "ad_caf\xC3\xA9");
  EXPECT_EQ(label(got["accepted"][0]), "libert\xC3\xA9");
}

TEST_F(AnalyticsTest, SendEventNowHasPostedWhenItReturns) {
  auto analytics = client();
  analytics->sendEventNow(events::analytics::kUseCancel, L"100");
  auto got = endpoint_.received();
  ASSERT_EQ(acceptedCount(got), 1);
  EXPECT_STREQ(got["accepted"][0]["events"][0]["name"].GetString(), "ad_useCancel");
}

TEST_F(AnalyticsTest, ClosedClientNeitherSendsNorLogs) {
  auto analytics = client();
  analytics->closed = true;
  LogCapture log;
  analytics->sendEvent(events::analytics::kRun, L"100");
  analytics->sendEventNow(events::analytics::kUseCancel, L"100");
  Sleep(300);
  EXPECT_EQ(attemptCount(endpoint_.received()), 0);
  for (const auto& line : log.lines())
    EXPECT_EQ(line.function.rfind("GoogleAnalytics", 0), std::string::npos);
}

TEST_F(AnalyticsTest, EventBeyondHundredWaitingIsDropped) {
  auto analytics = client();
  endpoint_.hold(true);
  analytics->sendEvent(events::analytics::kRun, L"0");
  ASSERT_TRUE(endpoint_.waitUntilHeld(1));
  for (int i = 1; i <= 101; ++i) analytics->sendEvent(events::analytics::kRun, std::to_wstring(i));
  endpoint_.hold(false);

  auto got = endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 101; }, 60000);
  Sleep(300);
  got = endpoint_.received();
  ASSERT_EQ(acceptedCount(got), 101);
  EXPECT_EQ(attemptCount(got), 101);
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(label(got["accepted"][i]), std::to_string(i));
}

TEST_F(AnalyticsTest, DestructionNeverWaitsForAStuckPost) {
  {  // idle worker: stopped and awaited
    auto analytics = client();
    analytics->sendEvent(events::analytics::kRun, L"idle");
    endpoint_.waitFor([](const auto& r) { return acceptedCount(r) >= 1; });
    const DWORD start = GetTickCount();
    analytics.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
  }
  {  // worker in the middle of a post: left to finish by itself
    endpoint_.hold(true);
    auto analytics = client();
    analytics->sendEvent(events::analytics::kRun, L"busy");
    analytics->sendEvent(events::analytics::kRun, L"never");
    ASSERT_TRUE(endpoint_.waitUntilHeld(1));
    const DWORD start = GetTickCount();
    analytics.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    endpoint_.hold(false);
  }
  Sleep(500);
  auto got = endpoint_.received();
  EXPECT_EQ(acceptedCount(got), 2);  // the stopped worker posts nothing more
  EXPECT_EQ(label(got["accepted"][1]), "busy");
}

TEST_F(AnalyticsTest, EveryCatalogueNameIsAValidMeasurementProtocolEvent) {
  namespace a = events::analytics;
  const wchar_t* names[] = {
      a::kRun,           a::kAcceptDo,     a::kRejectDo,      a::kDownloadSucess,
      a::kDownloadError, a::kInstallError, a::kInstallSucess, a::kUseCancel,
      a::kIronShow,      a::kIronAccept,   a::kIronReject,    a::kIronClose};
  auto analytics = client();
  for (const wchar_t* name : names) analytics->sendEvent(name, L"100_errWaitTimeout");
  const int count = (int)std::size(names);
  auto got = endpoint_.waitFor([&](const auto& r) { return attemptCount(r) >= count; });
  EXPECT_EQ(acceptedCount(got), count);
  for (const auto& rejected : got["rejected"].GetArray())
    ADD_FAILURE() << rejected["reason"].GetString();
}
