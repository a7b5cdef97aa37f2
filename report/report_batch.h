// The collection endpoint's wire format: one batch of queued events as a
// pretty-printed JSON array, and the two signed header lines that go with it.
// Plain functions over values; the reporter's worker calls them each pass.
#pragma once
#include <windows.h>
// The event-log API's ReportEvent macro would rename the type below; nothing
// here writes to the Windows event log.
#undef ReportEvent

#include <rapidjson/document.h>

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <variant>
#include <vector>

// Adds an event's own members to its "properties" object when the batch is
// built. Runs on the reporter's worker; must not call back into the reporter.
using ReportFill = std::function<void(rapidjson::Value& properties,
                                      rapidjson::Document::AllocatorType& allocator)>;

struct ReportEvent {
  std::wstring eventKey;
  int64_t timeMs = 0;  // whole calendar seconds since 1970 x 1000
  ReportFill fill;     // may be empty
};

// Who reports: the fixed properties of every event.
struct ReportIdentity {
  std::wstring openid;
  std::wstring deviceId;
  std::wstring language;
};

// One own property: a text (sent in the ANSI code page, like every text of the
// batch) or a 32-bit integer.
struct ReportProperty {
  std::string key;
  std::variant<std::wstring, int> value;
};

// A fill that adds `members` in order: reportProperties({{"ext_field", L"xp"}}).
ReportFill reportProperties(std::vector<ReportProperty> members);

// Whole calendar seconds since 1970 x 1000 (the last three digits are 000).
int64_t reportEventTimeMs();
// The request time: reportEventTimeMs() + GetTickCount() mod 1000.
int64_t reportRequestTimeMs();

// The batch, oldest event first, each with a new event id; pretty-printed with
// an indent of four blanks. No events give "[]".
std::string buildReportBody(const std::list<ReportEvent>& events, const ReportIdentity& identity);

// The two header lines of a batch of `count` events sent at `requestTimeMs`:
// "timestamp: <ms>" and "signature: <last 8 digits of the MD5 of
// "quandrel*timestamp=<ms><count x 1024>">". False when no digest could be made.
bool signReportBatch(int64_t requestTimeMs, int count, std::vector<std::string>& headers);
