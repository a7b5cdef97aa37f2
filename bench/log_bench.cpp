// Cost of one log call on the calling thread (1 and 2 threads: the mean, the
// 99th percentile and the worst call) and the rate at which lines reach the file.
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

struct CallFigures {
  double meanNs;
  double p99Ns;
  double maxNs;
};

// Times every call, in batches with pauses between them (outside the timing)
// so the writer keeps up and calls are measured, not drops. The tail shows the
// calls that met the writer at work.
CallFigures timeCalls(int threads, int callsPerThread) {
  std::vector<std::thread> workers;
  std::vector<std::vector<double>> callNs(threads);
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&callNs, t, callsPerThread] {
      callNs[t].reserve(callsPerThread);
      for (int i = 0; i < callsPerThread; i += 100) {
        for (int j = i; j < i + 100; ++j) {
          auto start = Clock::now();
          LOG(L"bench line %d of thread %d with a path %s", j, t, L"C:\\Program Files\\Vorlane");
          callNs[t].push_back(
              std::chrono::duration<double, std::nano>(Clock::now() - start).count());
        }
        Sleep(2);
      }
    });
  for (auto& w : workers) w.join();
  std::vector<double> all;
  for (const auto& ns : callNs) all.insert(all.end(), ns.begin(), ns.end());
  std::sort(all.begin(), all.end());
  double total = 0;
  for (double ns : all) total += ns;
  return {total / all.size(), all[all.size() * 99 / 100], all.back()};
}

void printCalls(const char* what, const CallFigures& figures) {
  std::printf("%s: mean %8.0f ns, 99th percentile %8.0f ns, worst %10.0f ns\n", what,
              figures.meanNs, figures.p99Ns, figures.maxNs);
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
  printCalls("log call, 1 thread ", timeCalls(1, calls));
  printCalls("log call, 2 threads", timeCalls(2, calls));

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
