#include "report/analytics_request.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "utility/text.h"

namespace {

rapidjson::Value text(const std::string& value, rapidjson::Document::AllocatorType& allocator) {
  return rapidjson::Value(value.c_str(), (rapidjson::SizeType)value.size(), allocator);
}

}  // namespace

std::string buildAnalyticsBody(const std::string& clientId, const std::wstring& eventName,
                               const std::wstring& label) {
  rapidjson::Document document(rapidjson::kObjectType);
  auto& allocator = document.GetAllocator();
  rapidjson::Value params(rapidjson::kObjectType);
  params.AddMember("event_category", text(utility::wideToAnsi(L"5.21"), allocator), allocator);
  params.AddMember("event_label", text(utility::wideToAnsi(label), allocator), allocator);
  rapidjson::Value event(rapidjson::kObjectType);
  event.AddMember("name", text(utility::wideToAnsi(eventName), allocator), allocator);
  event.AddMember("params", params, allocator);
  rapidjson::Value events(rapidjson::kArrayType);
  events.PushBack(event, allocator);
  document.AddMember("client_id", text(clientId, allocator), allocator);
  document.AddMember("events", events, allocator);

  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  document.Accept(writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

std::wstring analyticsUrl(const std::wstring& endpoint, const std::wstring& measurementId,
                          const std::wstring& apiSecret) {
  return endpoint + L"?measurement_id=" + measurementId + L"&api_secret=" + apiSecret;
}
