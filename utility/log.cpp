#include "utility/log.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cwchar>

#include "utility/log_format.h"
#include "utility/log_stream.h"
#include "utility/log_writer.h"
#include "utility/native_file.h"
#include "utility/ufile.h"

namespace common {
namespace {

std::atomic<LogSink> g_sink{nullptr};
std::atomic<LogWriter*> g_writer{nullptr};
constexpr int kMessageChars = 8192;

}  // namespace

void setLogSink(LogSink sink) { g_sink.store(sink); }

void writeLog(const char* function, int line, const wchar_t* format, ...) {
  LogSink sink = g_sink.load();
  if (!sink) return;
  va_list args;
  va_start(args, format);
  // A message longer than the buffer would be is cut.
  std::wstring message = formatLogMessage(format, args, kMessageChars - 1);
  va_end(args);
  sink(function, line, message.c_str());
}

void fileLogSink(const char* function, int line, const wchar_t* message) {
  LogStream stream(function, line, g_writer.load());
  char utf8[LogStream::kCapacity] = {};
  // The whole message with its terminator; one that needs more room than the
  // line buffer could hold fails the line.
  int bytes = WideCharToMultiByte(CP_UTF8, 0, message, -1, utf8, sizeof(utf8), nullptr, nullptr);
  if (bytes <= 0) {
    stream.fail();
    return;
  }
  stream << utf8;
}

void openLog(const std::wstring& path) {
  if (path.empty() || g_writer.load()) return;
  auto* writer = new LogWriter(path);  // lives until the process ends
  LogWriter* expected = nullptr;
  if (!g_writer.compare_exchange_strong(expected, writer)) delete writer;
}

void flushLog(unsigned long waitMs) {
  if (LogWriter* writer = g_writer.load()) writer->flush(waitMs);
}

constexpr wchar_t kLogFolderName[] = L"tmdownloader";

std::wstring logFolder() { return utility::ufile::appDataDir() + L"\\" + kLogFolderName + L"\\"; }

std::wstring holdLogFolder() {
  // Held until the process ends: never closed.
  std::vector<HANDLE> held =
      utility::native_file::openFolderChain(utility::ufile::appDataDir(), {kLogFolderName});
  return held.empty() ? std::wstring() : logFolder();
}

}  // namespace common
