// One endpoint of tests/servers/telemetry_server.py, seen from a test: its
// address, what it kept, and its failure and hold switches. Control requests
// go through the product's own post.
#pragma once
#include <rapidjson/document.h>
#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

class TelemetryEndpoint {
 public:
  // "REPORT" or "ANALYTICS"; forgets what the endpoint kept so far.
  explicit TelemetryEndpoint(const char* name);
  ~TelemetryEndpoint();  // lets held posts go

  // "http://127.0.0.1:<port>" + path
  std::string url(const std::string& path) const;
  std::wstring wideUrl(const std::string& path) const;

  // {"accepted": [...], "rejected": [...], "attempts": n, "held": n, "gaps_ms": [...]}
  rapidjson::Document received() const;
  // Polls received() until `done` holds or `timeoutMs` passed; the last state.
  rapidjson::Document waitFor(const std::function<bool(const rapidjson::Document&)>& done,
                              DWORD timeoutMs = 10000) const;
  // True once `count` posts wait in the hold.
  bool waitUntilHeld(int count) const;
  // The next `count` posts end without a reply.
  void failNext(int count);
  // Posts wait before their reply until hold(false).
  void hold(bool on);

 private:
  void control(const std::string& query) const;
  std::string base_;
};

// Counts of the received() document.
int acceptedCount(const rapidjson::Document& received);
int attemptCount(const rapidjson::Document& received);

}  // namespace testing_support
