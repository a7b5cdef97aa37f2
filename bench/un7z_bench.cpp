// One extraction of a 7z archive file with utility::un7z, timed, with the
// process's peak memory. bench/run_un7z_bench.sh runs it against 7zz.
//   un7z_bench folder ARCHIVE OUTDIR    extractToFolder into OUTDIR
//   un7z_bench callback ARCHIVE         extractToCallback, counting the bytes
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "skin/un7z.h"

namespace {

uint64_t g_delivered = 0;

void count(const wchar_t*, const uint8_t*, int32_t size) { g_delivered += (uint64_t)size; }

double mib(uint64_t bytes) { return bytes / (1024.0 * 1024.0); }

// The whole file in one allocation of its size, so reading it leaves no
// larger peak behind than the archive itself.
std::string readArchive(const wchar_t* path) {
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  bool ok = ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, nullptr) && got == bytes.size();
  CloseHandle(file);
  return ok ? bytes : std::string();
}

PROCESS_MEMORY_COUNTERS_EX memory() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  return counters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 2 ? argv[1] : L"";
  if ((mode != L"folder" || argc < 4) && (mode != L"callback" || argc < 3)) {
    fprintf(stderr, "usage: un7z_bench folder ARCHIVE OUTDIR | callback ARCHIVE\n");
    return 2;
  }
  std::string archive = readArchive(argv[2]);
  if (archive.empty()) {
    fprintf(stderr, "cannot read the archive\n");
    return 2;
  }
  PROCESS_MEMORY_COUNTERS_EX before = memory();
  // The counters' own peaks also cover reading the archive, so a thread
  // samples the working set while the extraction runs.
  std::atomic<bool> done{false};
  size_t sampledPeak = before.WorkingSetSize;
  std::thread sampler([&] {
    while (!done) {
      sampledPeak = std::max(sampledPeak, (size_t)memory().WorkingSetSize);
      Sleep(2);
    }
  });
  auto start = std::chrono::steady_clock::now();
  int code =
      mode == L"folder"
          ? utility::un7z::extractToFolder(archive.data(), (uint32_t)archive.size(), argv[3])
          : utility::un7z::extractToCallback(archive.data(), (uint32_t)archive.size(), &count);
  double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  done = true;
  sampler.join();
  printf("mode=%ls code=%d ms=%.0f archive_mib=%.1f", mode.c_str(), code, ms, mib(archive.size()));
  if (mode == L"callback") printf(" delivered_mib=%.1f", mib(g_delivered));
  // The archive is in memory before the run starts; the growth of the peak is
  // what the extraction itself needed.
  printf(" working_set_before_mib=%.1f sampled_peak_mib=%.1f growth_mib=%.1f\n",
         mib(before.WorkingSetSize), mib(sampledPeak), mib(sampledPeak - before.WorkingSetSize));
  return code == 0 ? 0 : 1;
}
