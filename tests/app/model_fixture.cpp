#include "tests/app/model_fixture.h"

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

}  // namespace

void scriptHosts(const std::vector<std::string>& primary, const std::vector<std::string>& spare) {
  std::string response;
  CCurlDownloader::postRequest(hostsUrl("/control"),
                               "{\"primary\":" + jsonList(primary) + ",\"spare\":" + jsonList(spare) + "}",
                               {}, response);
}

std::string serveFile(const std::wstring& path, long cutAfter) {
  std::string step = "{\"file\":" + jsonString(path);
  if (cutAfter >= 0) step += ",\"cut\":" + std::to_string(cutAfter);
  return step + "}";
}

std::vector<std::string> requestedHosts() {
  std::string response;
  CCurlDownloader::postRequest(hostsUrl("/log"), "", {}, response);
  rapidjson::Document log;
  log.Parse(response.c_str());
  std::vector<std::string> hosts;
  if (log.IsArray())
    for (const auto& entry : log.GetArray()) hosts.push_back(memberText(entry, "host"));
  return hosts;
}

std::vector<std::string> reportedEvents(const rapidjson::Document& received) {
  std::vector<std::string> events;
  if (!received.IsObject() || !received.HasMember("accepted")) return events;
  for (const auto& post : received["accepted"].GetArray()) {
    rapidjson::Document batch;  // the body as it was posted
    batch.Parse(memberText(post, "body").c_str());
    if (!batch.IsArray()) continue;
    for (const auto& event : batch.GetArray()) {
      std::string text = memberText(event, "eventKey");
      const rapidjson::Value& properties = event["properties"];
      for (const char* key : {"ext_field", "failure_reason"}) {
        std::string value = memberText(properties, key);
        if (!value.empty()) text += std::string(" ") + key + "=" + value;
      }
      if (properties.HasMember("duration")) text += " duration";
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

ModelFixture::ModelFixture(DWORD packageWaitMs) {
  utility::UiDispatcher::create();
  reporter_ = std::make_unique<CReporter>(
      ReporterOptions{collection_.url("/collection/biz/upload"), 600000});
  ModelOptions options;
  options.config = &config_;
  options.reporter = reporter_.get();
  options.analytics.endpoint = analytics_.wideUrl("/mp/collect");
  options.packageSigner = standins::testSigner();
  options.packageWaitMs = packageWaitMs;
  options.retryTickMs = 100;
  model_ = std::make_unique<CAppModel>(options);
  model_->m_analytics.init(config_.gaMeasurementId(), config_.gaApiSecret());
  reporter_->init(L"100", L"test-pc", L"en");
  model_->m_installDir = dir_.path() + L"\\";
  model_->setCallbacks({
      [this](int percent, int, int) { percents.push_back(percent); },
      [this](int percent) { percents.push_back(percent); },
      [this] { ++downloadsDone; },
      [this] { ++downloadsFailed; },
      [this](bool ok) {
        ++installsFinished;
        installOk = ok;
      },
  });
}

ModelFixture::~ModelFixture() { reporter_->shutdown(); }

}  // namespace model_testing
