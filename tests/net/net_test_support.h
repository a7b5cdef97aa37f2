// Shared by the network tests: addresses on the package server, and the log
// lines the code under test writes, caught through the log sink.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "net/download_limits.h"
#include "net/http_downloader.h"
#include "tests/net/package_pattern.h"

namespace net_test {

// "http://127.0.0.1:<port><path>" on the package server (narrow, for libcurl).
std::string url(const std::string& path);
// The same on the server's port `name`.
std::string loopbackUrl(const char* name, const std::string& path);
// The same on the TLS port ("https://..."); empty when the server has no TLS port.
std::string tlsUrl(const std::string& path);
// A loopback address nobody listens on.
std::string closedUrl(const std::string& path);
// "https://..." on a loopback port that accepts connections and never says a
// word, so a TLS handshake there never ends.
std::string silentTlsUrl(const std::string& path);
std::wstring wideUrl(const std::string& path);

// A file name on which every write fails with ERROR_DISK_FULL (under Wine the
// Unix device /dev/full); empty when there is none.
std::wstring fullDiskPath();

// The two download methods, for tests that run each case through both.
struct DownloadEngine {
  const char* name;
  // Downloads `url` into `file` with `limits`; `pieces` (may be null) gets every
  // piece the WinINet method writes.
  bool (*download)(const std::string& url, const std::wstring& file, const DownloadLimits& limits,
                   utility::CHttpDownloader::IHttpDownloadSink* pieces);
  // One source of a download into `file`, which may hold bytes already.
  SourceEnd (*downloadInto)(const std::string& url, PartialFile& file,
                            const DownloadLimits& limits);
};
extern const DownloadEngine kDownloadEngines[2];

struct LogLine {
  std::string function;
  std::wstring message;
};

// Catches every log line while it lives (one capture at a time).
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<LogLine> lines() const;
  // The messages `function` wrote, in order.
  std::vector<std::wstring> messagesOf(const std::string& function) const;

 private:
  static void sink(const char* function, int line, const wchar_t* message);
};

}  // namespace net_test
