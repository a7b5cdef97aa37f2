// Keeps the program's log lines in memory while a test runs, so the test can
// check what was logged and under which function. One capture at a time.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "utility/log.h"

namespace testing_support {

struct LoggedLine {
  std::string function;
  std::wstring message;
};

class LogCapture {
 public:
  LogCapture() {
    clear();
    common::setLogSink(&LogCapture::sink);
  }
  ~LogCapture() { common::setLogSink(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<LoggedLine> lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // How many lines `function` logged with exactly `message`.
  int count(const std::string& function, const std::wstring& message) const {
    int n = 0;
    for (const auto& line : lines())
      if (line.function == function && line.message == message) ++n;
    return n;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }

 private:
  static void sink(const char* function, int, const wchar_t* message) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back({function, message});
  }
  static inline std::mutex mutex_;
  static inline std::vector<LoggedLine> lines_;
};

}  // namespace testing_support
