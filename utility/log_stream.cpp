#include "utility/log_stream.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "utility/log_writer.h"

namespace common {

LogStream::LogStream(const char* function, int line, LogWriter* writer) : writer_(writer) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  // The C library's own: -1 when the text does not fit.
  int written = _snprintf(buffer_, kCapacity, "%02d-%02d\t%02d:%02d:%02d.%03d\t%04d\t%s\t(%d):",
                         now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                         now.wMilliseconds, (int)GetCurrentThreadId(), function, line);
  if (written < 0 || (std::size_t)written >= kCapacity) {
    failed_ = true;
    return;
  }
  length_ = (std::size_t)written;
}

LogStream::~LogStream() {
  put("\r\n", 2);
  if (writer_ && !failed_) writer_->append(std::string(buffer_, length_));
}

LogStream& LogStream::operator<<(const char* utf8) {
  put(utf8, std::strlen(utf8));
  return *this;
}

void LogStream::put(const char* bytes, std::size_t count) {
  if (failed_) return;
  if (count > kCapacity - length_) {
    failed_ = true;
    return;
  }
  std::memcpy(buffer_ + length_, bytes, count);
  length_ += count;
}

}  // namespace common
