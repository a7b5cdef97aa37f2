// Resumed downloads against loopback nginx over HTTPS, for each method with
// the product's limits, each beside an uncut download of the same package in
// the same run:
// - cut three times at the positions the host was given (VORLANE_TEST_CUTS);
// - through a relay that has two outages of 20 s (one refusing connections,
//   one accepting them and saying nothing) and with the downloading process
//   ended and started again, at random points: the second process goes on from
//   the bytes the first one kept.
// Prints the bytes the host sent in all against the package's size (goal: at
// most 1.05) and the time beyond the uncut download (and the outages).
// Run through net_resume_bench.sh, which starts the servers.
#include <curl/curl.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "net/curl_downloader.h"
#include "net/http_downloader.h"
#include "net/partial_file.h"
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

long long sizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// One source of a download into a kept file: what the child process does.
bool downloadKept(const std::string& engine, const std::string& url, const std::wstring& bytes,
                  const std::wstring& record) {
  PartialFile file(bytes, record);
  file.takeUp();
  SourceEnd end = SourceEnd::failed;
  if (engine == "libcurl") {
    end = CCurlDownloader::downloadFile(file, url, {}, DownloadLimits{});
  } else {
    utility::CHttpDownloader downloader;
    end = downloader.download(utility::utf8ToWide(url), file, nullptr);
  }
  file.keep();
  return end == SourceEnd::done;
}

HANDLE startChild(const std::string& engine, const std::string& url, const std::wstring& bytes,
                  const std::wstring& record) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" --kept " + utility::utf8ToWide(engine) +
                      L" \"" + utility::utf8ToWide(url) + L"\" \"" + bytes + L"\" \"" + record +
                      L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

// The download of `url` with two outages of 20 s and a restart of the
// downloading process at the given shares of the package.
struct Interruptions {
  double refuse, restart, silent;
};
Measure interruptedRun(const std::string& engine, const std::string& url, size_t bytes,
                       const Interruptions& at, const std::wstring& target,
                       const std::wstring& record) {
  DeleteFileW(target.c_str());
  DeleteFileW(record.c_str());
  return measure([&] {
    HANDLE child = startChild(engine, url, target, record);
    bool refused = false, restarted = false, silenced = false;
    DWORD code = 1;
    while (child) {
      if (WaitForSingleObject(child, 20) == WAIT_OBJECT_0) {
        GetExitCodeProcess(child, &code);
        CloseHandle(child);
        child = nullptr;
        break;
      }
      double share = (double)sizeOf(target) / bytes;
      if (!refused && share >= at.refuse) refused = real_servers::startOutage("refuse", 20);
      if (!silenced && share >= at.silent) silenced = real_servers::startOutage("silent", 20);
      if (!restarted && share >= at.restart) {
        restarted = true;
        TerminateProcess(child, 1);
        WaitForSingleObject(child, 10000);
        CloseHandle(child);
        child = startChild(engine, url, target, record);
      }
    }
    return code == 0 && refused && silenced && restarted;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--kept") {
    curl_global_init(CURL_GLOBAL_ALL);
    bool done = downloadKept(argv[2], argv[3], utility::ansiToWide(argv[4]),
                             utility::ansiToWide(argv[5]));
    curl_global_cleanup();
    return done ? 0 : 1;
  }
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
  std::printf("package %zu bytes, cut at %s, a back-off of 1 s after each cut\n", bytes, cuts);
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
    // The three back-offs (1 s each: every cut came after progress) are waited
    // on purpose; the rest is the cost
    // of noticing the cuts and asking again.
    const double kBackoffSeconds = 3.0;
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

  // Outages and a restart, through the relay, beside an uncut download through it.
  std::mt19937 random(std::random_device{}());
  auto between = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  std::wstring record = dir.file(L"download.record");
  for (const auto& engine : engines) {
    const std::string url = real_servers::outageUrl(std::string("/files/") + kName);
    Measure uncut = measure([&] { return engine.download(url); });
    uncut.ok = uncut.ok && sameFile(source, target);
    Interruptions at{between(0.1, 0.3), between(0.35, 0.6), between(0.65, 0.85)};
    Measure cut = interruptedRun(engine.name, url, bytes, at, target, record);
    cut.ok = cut.ok && sameFile(source, target);
    const double kOutageSeconds = 40.0;
    std::printf(
        "%-8s uncut %7.2f s %s | 20 s refused at %2.0f %%, restart at %2.0f %%, 20 s silent at "
        "%2.0f %%: %7.2f s %s, %zu requests | sent/size %.4f | beyond the uncut download and the "
        "outages %.2f s\n",
        engine.name, uncut.seconds, uncut.ok ? "ok" : "FAILED", at.refuse * 100, at.restart * 100,
        at.silent * 100, cut.seconds, cut.ok ? "ok" : "FAILED", cut.requests,
        (double)cut.sent / bytes, cut.seconds - uncut.seconds - kOutageSeconds);
    std::fflush(stdout);
    DeleteFileW(target.c_str());
  }
  curl_global_cleanup();
  return 0;
}
