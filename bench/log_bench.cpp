// Cost of one log call on the calling thread (1 and 2 threads) and the rate at
// which lines reach the file.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"
#include "utility/log.h"

namespace {

using Clock = std::chrono::steady_clock;

// Times batches of calls and pauses between batches (outside the timing) so the
// writer keeps up and calls are measured, not drops.
double nsPerCall(int threads, int callsPerThread) {
  std::vector<std::thread> workers;
  std::vector<double> busyNs(threads, 0.0);
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&busyNs, t, callsPerThread] {
      for (int i = 0; i < callsPerThread; i += 100) {
        auto start = Clock::now();
        for (int j = i; j < i + 100; ++j)
          LOG(L"bench line %d of thread %d with a path %s", j, t, L"C:\\Program Files\\Vorlane");
        busyNs[t] += std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        Sleep(2);
      }
    });
  for (auto& w : workers) w.join();
  double total = 0;
  for (double ns : busyNs) total += ns;
  return total / (threads * (double)callsPerThread);
}

size_t countLines(const std::string& text, const char* marker) {
  size_t count = 0;
  for (size_t at = 0; (at = text.find(marker, at)) != std::string::npos; ++at) ++count;
  return count;
}

}  // namespace

int main() {
  testing_support::TempDir dir;
  std::wstring path = dir.file(L"log.txt");
  common::setLogSink(&common::fileLogSink);
  common::openLog(path);
  Sleep(100);

  const int calls = 20000;
  std::printf("log call, 1 thread : %8.0f ns per call\n", nsPerCall(1, calls));
  std::printf("log call, 2 threads: %8.0f ns per call per thread\n", nsPerCall(2, calls));

  // Throughput to the file: as many lines as the writer accepts in 2 s.
  auto start = Clock::now();
  int sent = 0;
  while (Clock::now() - start < std::chrono::seconds(2)) {
    LOG(L"rate line %d", sent++);
  }
  Sleep(1200);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count() - 1.2;
  size_t written = countLines(testing_support::readFile(path), "rate line ");
  std::printf("lines reaching the file: %.0f per second (%zu of %d offered; the rest dropped by design)\n",
              written / seconds, written, sent);
  return 0;
}
