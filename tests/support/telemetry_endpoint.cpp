#include "tests/support/telemetry_endpoint.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "net/curl_downloader.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

namespace testing_support {
namespace {

// The posts need libcurl's global set-up, as the application makes it at start.
class CurlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { curl_global_init(CURL_GLOBAL_ALL); }
  void TearDown() override { curl_global_cleanup(); }
};
const auto* const kCurl = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

std::string fetch(const std::string& url) {
  std::string response;
  CCurlDownloader::postRequest(url, "", {}, response);
  return response;
}

}  // namespace

TelemetryEndpoint::TelemetryEndpoint(const char* name)
    : base_(utility::wideToAnsi(testServerUrl(name))) {
  control("reset=1");
}

TelemetryEndpoint::~TelemetryEndpoint() { hold(false); }

std::string TelemetryEndpoint::url(const std::string& path) const { return base_ + path; }

std::wstring TelemetryEndpoint::wideUrl(const std::string& path) const {
  return utility::ansiToWide(url(path));
}

rapidjson::Document TelemetryEndpoint::received() const {
  rapidjson::Document document;
  std::string text = fetch(url("/received"));
  document.Parse(text.c_str());
  if (!document.IsObject())
    document.Parse(R"({"accepted":[],"rejected":[],"attempts":-1,"held":-1,"gaps_ms":[]})");
  return document;
}

rapidjson::Document TelemetryEndpoint::waitFor(
    const std::function<bool(const rapidjson::Document&)>& done, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  for (;;) {
    rapidjson::Document state = received();
    if (done(state) || GetTickCount() - start >= timeoutMs) return state;
    Sleep(50);
  }
}

bool TelemetryEndpoint::waitUntilHeld(int count) const {
  auto held = [count](const rapidjson::Document& r) { return r["held"].GetInt() == count; };
  return held(waitFor(held));
}

void TelemetryEndpoint::failNext(int count) { control("fail=" + std::to_string(count)); }

void TelemetryEndpoint::hold(bool on) { control(on ? "hold=1" : "hold=0"); }

void TelemetryEndpoint::control(const std::string& query) const { fetch(url("/control?" + query)); }

int acceptedCount(const rapidjson::Document& received) { return (int)received["accepted"].Size(); }

int attemptCount(const rapidjson::Document& received) { return received["attempts"].GetInt(); }

}  // namespace testing_support
