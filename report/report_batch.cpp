#include "report/report_batch.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <windows.h>

#include <ctime>

#include "report/md5.h"
#include "utility/text.h"
#include "utility/usystem.h"

namespace {

using Allocator = rapidjson::Document::AllocatorType;

// Texts travel in the ANSI code page; the post re-encodes the body to UTF-8.
rapidjson::Value ansiText(const std::wstring& text, Allocator& allocator) {
  std::string ansi = utility::wideToAnsi(text);
  return rapidjson::Value(ansi.c_str(), (rapidjson::SizeType)ansi.size(), allocator);
}

// The six members every event carries, in their wire order.
rapidjson::Value fixedProperties(const ReportIdentity& identity, Allocator& allocator) {
  rapidjson::Value properties(rapidjson::kObjectType);
  properties.AddMember("mnq_version", "5.21", allocator);
  properties.AddMember("mnq_mac", ansiText(identity.deviceId, allocator), allocator);
  properties.AddMember("device_id", ansiText(identity.deviceId, allocator), allocator);
  properties.AddMember("openid", ansiText(identity.openid, allocator), allocator);
  properties.AddMember("language", ansiText(identity.language, allocator), allocator);
  properties.AddMember("downloader_package", 1, allocator);
  return properties;
}

rapidjson::Value eventObject(const ReportEvent& event, const ReportIdentity& identity,
                             Allocator& allocator) {
  rapidjson::Value object(rapidjson::kObjectType);
  object.AddMember("appId", 1, allocator);
  object.AddMember("eventId", ansiText(utility::usystem::newGuidString(), allocator), allocator);
  object.AddMember("eventKey", ansiText(event.eventKey, allocator), allocator);
  object.AddMember("timestamp", rapidjson::Value(static_cast<int64_t>(event.timeMs)), allocator);
  rapidjson::Value properties = fixedProperties(identity, allocator);
  if (event.fill) event.fill(properties, allocator);
  object.AddMember("properties", properties, allocator);
  return object;
}

}  // namespace

ReportFill reportProperties(std::vector<ReportProperty> members) {
  return [members = std::move(members)](rapidjson::Value& properties, Allocator& allocator) {
    for (const auto& member : members) {
      rapidjson::Value key(member.key.c_str(), (rapidjson::SizeType)member.key.size(), allocator);
      if (const auto* text = std::get_if<std::wstring>(&member.value))
        properties.AddMember(key, ansiText(*text, allocator), allocator);
      else
        properties.AddMember(key, std::get<int>(member.value), allocator);
    }
  };
}

int64_t reportEventTimeMs() { return static_cast<int64_t>(_time64(nullptr)) * 1000; }

int64_t reportRequestTimeMs() { return reportEventTimeMs() + GetTickCount() % 1000; }

std::string buildReportBody(const std::list<ReportEvent>& events, const ReportIdentity& identity) {
  rapidjson::Document document(rapidjson::kArrayType);
  auto& allocator = document.GetAllocator();
  for (const auto& event : events)
    document.PushBack(eventObject(event, identity, allocator), allocator);
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 4);
  document.Accept(writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

bool signReportBatch(int64_t requestTimeMs, int count, std::vector<std::string>& headers) {
  std::string stamp = std::to_string(requestTimeMs);
  std::string input = "quandrel*timestamp=" + stamp + std::to_string(int64_t{count} * 1024);
  std::string digest;
  md5Hex(input.data(), (int)input.size(), digest);
  if (digest.size() < 16) return false;
  headers = {"timestamp: " + stamp, "signature: " + digest.substr(digest.size() - 8)};
  return true;
}
