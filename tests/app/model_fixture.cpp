#include "tests/app/model_fixture.h"

#include <gtest/gtest.h>

#include "app/app_impl.h"
#include "app/window_ipc.h"
#include "net/curl_downloader.h"
#include "standins/standins.h"
#include "utility/text.h"

namespace model_testing {
namespace {

std::string hostsUrl(const std::string& path) {
  return utility::wideToAnsi(testing_support::testServerUrl("PRIMARY")) + path;
}

std::string jsonList(const std::vector<std::string>& steps) {
  std::string list = "[";
  for (size_t i = 0; i < steps.size(); ++i) list += (i ? "," : "") + steps[i];
  return list + "]";
}

std::string jsonString(const std::wstring& text) {
  std::string out = "\"";
  for (char c : utility::wideToUtf8(text)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string memberText(const rapidjson::Value& object, const char* name) {
  if (!object.IsObject() || !object.HasMember(name)) return "";
  const rapidjson::Value& value = object[name];
  if (value.IsString()) return value.GetString();
  if (value.IsInt()) return std::to_string(value.GetInt());
  return "";
}

// Starts the model's download and waits for its outcome and events.
DownloadRun runDownload(ModelFixture& f) {
  CAppModel& model = f.model();
  DWORD start = GetTickCount();
  model.startDownloadPlayer();
  EXPECT_TRUE(testing_support::pumpUntil([&] { return f.downloadsDone + f.downloadsFailed > 0; },
                                         180000));
  DWORD elapsed = GetTickCount() - start;
  // The worker queues its events after it told the window.
  EXPECT_TRUE(
      testing_support::pumpUntil([&] { return !model.m_downloadThread.isRunning(); }, 10000));
  f.reporter().notify();
  auto reported =
      f.collection().waitFor([](const auto& r) { return reportedEvents(r).size() >= 1; });
  auto analytics =
      f.analytics().waitFor([](const auto& r) { return analyticsEvents(r).size() >= 1; });
  return {f.downloadsDone == 1, elapsed, requestedHosts(), reportedEvents(reported),
          analyticsEvents(analytics)};
}

}  // namespace

void scriptHosts(const std::vector<std::string>& primary, const std::vector<std::string>& spare) {
  std::string response;
  CCurlDownloader::postRequest(hostsUrl("/control"),
                               "{\"primary\":" + jsonList(primary) + ",\"spare\":" + jsonList(spare) + "}",
                               {}, response);
}

std::string serveFile(const std::wstring& path, const std::string& modifiers) {
  return "{\"file\":" + jsonString(path) + (modifiers.empty() ? "" : "," + modifiers) + "}";
}

std::vector<HostRequest> hostRequests() {
  std::string response;
  CCurlDownloader::postRequest(hostsUrl("/log"), "", {}, response);
  rapidjson::Document log;
  log.Parse(response.c_str());
  std::vector<HostRequest> requests;
  if (log.IsArray())
    for (const auto& entry : log.GetArray())
      requests.push_back(
          {memberText(entry, "host"), entry.HasMember("done") && entry["done"].IsTrue()});
  return requests;
}

std::vector<std::string> requestedHosts() {
  std::vector<std::string> hosts;
  for (const auto& request : hostRequests()) hosts.push_back(request.host);
  return hosts;
}

void useTestHosts(ModelFixture& f, const std::wstring& primaryHost) {
  const std::wstring path = L"/download/package/Vorlane9.0.exe";
  f.model().m_url =
      (primaryHost.empty() ? testing_support::testServerUrl("PRIMARY") : primaryHost) + path;
  f.model().m_spareUrl = testing_support::testServerUrl("SPARE") + path;
}

DownloadRun download(ModelFixture& f, const std::wstring& primaryHost) {
  useTestHosts(f, primaryHost);
  return runDownload(f);
}

DownloadRun downloadFrom(ModelFixture& f, const std::wstring& primaryUrl,
                         const std::wstring& spareUrl) {
  f.model().m_url = primaryUrl;
  f.model().m_spareUrl = spareUrl;
  return runDownload(f);
}

Installed install(ModelFixture& f, const wchar_t* behaviour, size_t events) {
  const size_t reportedBefore = reportedEvents(f.collection().received()).size();
  const size_t analyticsBefore = analyticsEvents(f.analytics().received()).size();
  SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", behaviour);
  InstallerWindow window(f.model());
  runInstallTask(f.model());
  EXPECT_TRUE(testing_support::pumpUntil([&] { return f.installsFinished > 0; }, 60000));
  SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", nullptr);
  f.reporter().notify();
  auto reported = reportedEvents(f.collection().waitFor(
      [&](const auto& r) { return reportedEvents(r).size() >= reportedBefore + events; }, 5000));
  auto analytics = analyticsEvents(f.analytics().waitFor(
      [&](const auto& r) { return analyticsEvents(r).size() > analyticsBefore; }, 5000));
  return {std::vector<std::string>(reported.begin() + std::min(reportedBefore, reported.size()),
                                   reported.end()),
          analytics.size() > analyticsBefore ? analytics[analyticsBefore] : ""};
}

// "name" followed by every own property of the event (the members after the
// six fixed ones) in order: " key=text" for a string, " key=<int>" for an integer.
std::vector<std::string> reportedEvents(const rapidjson::Document& received) {
  constexpr rapidjson::SizeType kFixedProperties = 6;
  std::vector<std::string> events;
  if (!received.IsObject() || !received.HasMember("accepted")) return events;
  for (const auto& post : received["accepted"].GetArray()) {
    rapidjson::Document batch;  // the body as it was posted
    batch.Parse(memberText(post, "body").c_str());
    if (!batch.IsArray()) continue;
    for (const auto& event : batch.GetArray()) {
      std::string text = memberText(event, "eventKey");
      const rapidjson::Value& properties = event["properties"];
      rapidjson::SizeType index = 0;
      for (auto member = properties.MemberBegin(); member != properties.MemberEnd(); ++member) {
        if (index++ < kFixedProperties) continue;
        const rapidjson::Value& value = member->value;
        text += std::string(" ") + member->name.GetString() + "=" +
                (value.IsString() ? value.GetString() : value.IsInt() ? "<int>" : "<other>");
      }
      events.push_back(text);
    }
  }
  return events;
}

std::vector<std::string> analyticsEvents(const rapidjson::Document& received) {
  std::vector<std::string> events;
  if (!received.IsObject() || !received.HasMember("accepted")) return events;
  for (const auto& post : received["accepted"].GetArray()) {
    if (!post.HasMember("events")) continue;
    for (const auto& event : post["events"].GetArray())
      events.push_back(memberText(event, "name") + ":" + memberText(event["params"], "event_label"));
  }
  return events;
}

DownloadLimits testLimits(DWORD stallLimitMs) {
  DownloadLimits limits;
  limits.stallMs = stallLimitMs;
  limits.noProgressMs =
      stallLimitMs == kDownloadStallLimitMs ? kTestNoProgressMs : 2 * stallLimitMs;
  limits.firstBackoffMs = kTestResumeBackoffMs;
  limits.maxBackoffMs = kTestMaxBackoffMs;
  limits.networkWaitMs = kTestNetworkWaitMs;
  return limits;
}

ModelFixture::ModelFixture(DWORD packageWaitMs, DWORD stallLimitMs)
    : ModelFixture(packageWaitMs, testLimits(stallLimitMs)) {}

ModelFixture::ModelFixture(DWORD packageWaitMs, const DownloadLimits& limits,
                           const std::wstring& keptParent)
    : keptParent_(keptParent.empty() ? dir_.path() + L"\\kept\\" : keptParent) {
  utility::UiDispatcher::create();
  reporter_ = std::make_unique<CReporter>(
      ReporterOptions{collection_.url("/collection/biz/upload"), 600000});
  reporter_->setDropRule([this] { return config_.isPlayer4; });
  ModelOptions options;
  options.config = &config_;
  options.reporter = reporter_.get();
  options.analytics.endpoint = analytics_.wideUrl("/mp/collect");
  options.packageSigner = {standins::testSigner(), {standins::testSignerKey()}};
  options.packageWaitMs = packageWaitMs;
  options.downloadLimits = limits;
  options.keptDownloadParent = keptParent_;
  options.retryTickMs = 100;
  model_ = std::make_unique<CAppModel>(options);
  model_->m_analytics.init(config_.gaMeasurementId(), config_.gaApiSecret());
  reporter_->init(L"100", L"test-pc", L"en");
  model_->m_installDir = dir_.path() + L"\\";
  model_->setCallbacks({
      [this](int percent, int received, int total) {
        progress.push_back({percent, received, total, GetTickCount()});
      },
      [this](int percent) { progress.push_back({percent, -1, -1, GetTickCount()}); },
      [this] { ++downloadsDone; },
      [this] { ++downloadsFailed; },
      [this](bool ok) {
        ++installsFinished;
        installOk = ok;
      },
      [this] { ++reconnects; },
      [this] { sourceStarts.push_back(progress.size()); },
  });
}

ModelFixture::~ModelFixture() { reporter_->shutdown(); }

}  // namespace model_testing
