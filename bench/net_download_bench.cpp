// Download throughput on loopback through each engine of the installer: WinINet
// and libcurl (capped at 20 MiB/s). Needs the package server; see
// net_download_bench.sh, which also runs the Linux curl tool beside it.
// Prints one line per engine: "<engine> <bytes> <seconds> <ok|failed>".
#include <curl/curl.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "net/curl_downloader.h"
#include "net/http_downloader.h"
#include "tests/net/package_pattern.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

namespace {

// The file holds `bytes` bytes and begins with the package pattern.
bool looksComplete(const std::wstring& path, size_t bytes) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.nFileSizeHigh != 0 || data.nFileSizeLow != bytes) return false;
  const size_t head = bytes < (1u << 20) ? bytes : (1u << 20);
  return testing_support::readFile(path).compare(0, head, net_test::packageBytes(head)) == 0;
}

void measure(const char* engine, const std::wstring& path, size_t bytes,
             const std::function<bool()>& download) {
  auto start = std::chrono::steady_clock::now();
  bool ok = download();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ok = ok && looksComplete(path, bytes);
  std::printf("%s %zu %.3f %s\n", engine, bytes, seconds, ok ? "ok" : "failed");
  std::fflush(stdout);
  DeleteFileW(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 209715200;
  int port = testing_support::testServerPort("PACKAGE");
  if (!port) {
    std::fprintf(stderr, "VORLANE_TEST_PACKAGE_PORT is not set: start the package server\n");
    return 2;
  }
  std::string url =
      "http://127.0.0.1:" + std::to_string(port) + "/package/" + std::to_string(bytes);
  curl_global_init(CURL_GLOBAL_ALL);
  testing_support::TempDir dir;
  std::wstring path = dir.file(L"package.bin");

  utility::CHttpDownloader wininet;
  measure("wininet", path, bytes,
          [&] { return wininet.download(std::wstring(url.begin(), url.end()), path, nullptr); });
  measure("libcurl", path, bytes, [&] { return CCurlDownloader::downloadFile(path, url, {}); });
  curl_global_cleanup();
  return 0;
}
