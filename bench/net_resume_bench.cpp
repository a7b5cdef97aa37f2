// Resumed downloads against loopback nginx over HTTPS: for each method, one
// uncut download of a package and one cut three times at the positions the
// host was given (VORLANE_TEST_CUTS), with the product's limits (its back-offs
// of 1, 2 and 4 s included). Prints the bytes the host sent in all against
// the package's size (goal: at most 1.05) and the time against the uncut one.
// Run through net_resume_bench.sh, which starts the servers.
#include <curl/curl.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "net/curl_downloader.h"
#include "net/http_downloader.h"
#include "tests/net/package_pattern.h"
#include "tests/support/real_servers.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

namespace {

const char kName[] = "bench.bin";

// Writes `bytes` of the package pattern to `path`, a mebibyte at a time.
bool writePattern(const std::wstring& path, size_t bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const size_t kPeriod = 65521;  // the pattern's period: whole periods keep it continuous
  const std::string block = net_test::packageBytes(kPeriod * 16);
  bool ok = true;
  for (size_t done = 0; ok && done < bytes;) {
    DWORD take = static_cast<DWORD>(std::min(block.size(), bytes - done));
    DWORD written = 0;
    ok = WriteFile(file, block.data(), take, &written, nullptr) && written == take;
    done += take;
  }
  CloseHandle(file);
  return ok;
}

// Compares two files a mebibyte at a time.
bool sameFile(const std::wstring& a, const std::wstring& b) {
  HANDLE files[2] = {};
  for (int i = 0; i < 2; ++i)
    files[i] = CreateFileW((i ? b : a).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  bool same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE;
  std::string chunks[2] = {std::string(1 << 20, '\0'), std::string(1 << 20, '\0')};
  while (same) {
    DWORD got[2] = {};
    for (int i = 0; i < 2; ++i)
      ReadFile(files[i], chunks[i].data(), (DWORD)chunks[i].size(), &got[i], nullptr);
    same = got[0] == got[1] && chunks[0].compare(0, got[0], chunks[1], 0, got[1]) == 0;
    if (got[0] == 0) break;
  }
  for (HANDLE file : files)
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return same;
}

struct Measure {
  bool ok;
  double seconds;
  long long sent;  // body bytes the host sent, all requests together
  size_t requests;
};

Measure measure(const std::function<bool()>& download) {
  real_servers::LogMark mark = real_servers::mark();
  auto start = std::chrono::steady_clock::now();
  bool ok = download();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  long long sent = 0;
  auto requests = real_servers::hostRequestsSince(mark);
  for (const auto& request : requests) sent += request.bodyBytes;
  return {ok, seconds, sent, requests.size()};
}

}  // namespace

int main(int argc, char** argv) {
  size_t bytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 209715200;
  char cuts[256] = {};
  GetEnvironmentVariableA("VORLANE_TEST_CUTS", cuts, sizeof(cuts));
  if (!real_servers::available() || !cuts[0]) {
    std::fprintf(stderr,
                 "start the real servers with VORLANE_TEST_CUTS: see net_resume_bench.sh\n");
    return 2;
  }
  curl_global_init(CURL_GLOBAL_ALL);
  testing_support::TempDir dir;
  std::wstring source = dir.file(L"source.bin");
  std::wstring target = dir.file(L"download.bin");
  if (!writePattern(source, bytes) || !real_servers::placeFile(source, kName)) {
    std::fprintf(stderr, "cannot place the package\n");
    return 1;
  }
  std::printf("package %zu bytes, cut at %s, back-offs 1, 2 and 4 s\n", bytes, cuts);
  const struct {
    const char* name;
    std::function<bool(const std::string& url)> download;
  } engines[] = {
      {"libcurl",
       [&](const std::string& url) { return CCurlDownloader::downloadFile(target, url, {}); }},
      {"wininet",
       [&](const std::string& url) {
         utility::CHttpDownloader downloader;
         return downloader.download(utility::utf8ToWide(url), target, nullptr);
       }},
  };
  // The cut download comes through nginx's relay (tests/servers/real_servers.py);
  // so does the uncut one it is measured against, cut after more than it holds.
  const std::string relayed = "/cut-once/" + std::to_string(bytes + 1) + "/" + kName;
  for (const auto& engine : engines) {
    Measure uncut = measure([&] { return engine.download(real_servers::tlsUrl(relayed)); });
    uncut.ok = uncut.ok && sameFile(source, target);
    Measure cut = measure(
        [&] { return engine.download(real_servers::tlsUrl(std::string("/cut-at/") + kName)); });
    cut.ok = cut.ok && sameFile(source, target);
    // The three back-offs (1 + 2 + 4 s) are waited on purpose; the rest is the cost
    // of noticing the cuts and asking again.
    const double kBackoffSeconds = 7.0;
    std::printf(
        "%-8s uncut %7.2f s %s | cut %7.2f s %s, %zu requests | sent/size %.4f (uncut %.4f) | "
        "time cut/uncut %.2f, beyond the back-offs %.2f s\n",
        engine.name, uncut.seconds, uncut.ok ? "ok" : "FAILED", cut.seconds,
        cut.ok ? "ok" : "FAILED", cut.requests, (double)cut.sent / bytes,
        (double)uncut.sent / bytes, cut.seconds / uncut.seconds,
        cut.seconds - uncut.seconds - kBackoffSeconds);
    std::fflush(stdout);
    DeleteFileW(target.c_str());
  }
  curl_global_cleanup();
  return 0;
}
