// One log line under construction, in a fixed buffer of 10,240 bytes that never
// grows: the prefix is written by the constructor, the message by <<, and CR LF
// plus the hand-over to the writer by the destructor. A line that does not fit
// fails the stream and is dropped.
#pragma once
#include <cstddef>

namespace common {

class LogWriter;

class LogStream {
 public:
  static constexpr std::size_t kCapacity = 10240;

  // `writer` may be null: the line is then formed and dropped.
  LogStream(const char* function, int line, LogWriter* writer);
  ~LogStream();
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  LogStream& operator<<(const char* utf8);
  void fail() { failed_ = true; }
  bool failed() const { return failed_; }

 private:
  void put(const char* bytes, std::size_t count);

  char buffer_[kCapacity];
  std::size_t length_ = 0;
  bool failed_ = false;
  LogWriter* writer_;
};

}  // namespace common
