#include "tests/net/net_test_support.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "net/curl_downloader.h"
#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/text.h"

namespace net_test {

namespace {

std::mutex g_mutex;
std::vector<LogLine> g_lines;

std::string loopback(const char* scheme, const char* server, const std::string& path) {
  int port = testing_support::testServerPort(server);
  if (!port) return {};
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
}

// libcurl's process-wide set-up, done by the application object in the product.
class CurlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { curl_global_init(CURL_GLOBAL_ALL); }
  void TearDown() override { curl_global_cleanup(); }
};

[[maybe_unused]] auto* const g_curl = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

}  // namespace

const DownloadEngine kDownloadEngines[2] = {
    {"libcurl",
     [](const std::string& url, const std::wstring& file, const DownloadLimits& limits,
        utility::CHttpDownloader::IHttpDownloadSink*) {
       return CCurlDownloader::downloadFile(file, url, {}, limits);
     },
     [](const std::string& url, PartialFile& file, const DownloadLimits& limits) {
       return CCurlDownloader::downloadFile(file, url, {}, limits);
     }},
    {"WinINet",
     [](const std::string& url, const std::wstring& file, const DownloadLimits& limits,
        utility::CHttpDownloader::IHttpDownloadSink* pieces) {
       utility::CHttpDownloader downloader;
       downloader.setLimits(limits);
       return downloader.download(utility::utf8ToWide(url), file, pieces);
     },
     [](const std::string& url, PartialFile& file, const DownloadLimits& limits) {
       utility::CHttpDownloader downloader;
       downloader.setLimits(limits);
       return downloader.download(utility::utf8ToWide(url), file, nullptr);
     }},
};

std::string url(const std::string& path) { return loopback("http", "PACKAGE", path); }
std::string loopbackUrl(const char* name, const std::string& path) {
  return loopback("http", name, path);
}
std::string tlsUrl(const std::string& path) { return loopback("https", "PACKAGE_TLS", path); }
std::string closedUrl(const std::string& path) { return loopback("http", "PACKAGE_CLOSED", path); }
std::string silentTlsUrl(const std::string& path) {
  return loopback("https", "PACKAGE_SILENT", path);
}
std::wstring wideUrl(const std::string& path) { return utility::utf8ToWide(url(path)); }

std::wstring fullDiskPath() {
  const wchar_t kPath[] = L"Z:\\dev\\full";
  HANDLE file = CreateFileW(kPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  DWORD written = 0;
  bool full = !WriteFile(file, "x", 1, &written, nullptr) && GetLastError() == ERROR_DISK_FULL;
  CloseHandle(file);
  return full ? kPath : std::wstring();
}

LogCapture::LogCapture() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_lines.clear();
  common::setLogSink(&LogCapture::sink);
}

LogCapture::~LogCapture() { common::setLogSink(nullptr); }

void LogCapture::sink(const char* function, int, const wchar_t* message) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_lines.push_back({function, message});
}

std::vector<LogLine> LogCapture::lines() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_lines;
}

std::vector<std::wstring> LogCapture::messagesOf(const std::string& function) const {
  std::vector<std::wstring> out;
  for (const auto& line : lines())
    if (line.function == function) out.push_back(line.message);
  return out;
}

}  // namespace net_test
