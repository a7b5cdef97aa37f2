// The one log of the program: "log.txt" under the roaming application data.
// Any thread may log; a line is formed on the calling thread and written to the
// file by the writer thread, so callers never wait for the disk. Logging never
// fails in a way callers see.
#pragma once
#include "utility/function_name.h"

#include <string>

namespace common {

// Receives every formatted message. Empty until the entry point installs
// fileLogSink; while it is empty, writeLog does nothing.
using LogSink = void (*)(const char* function, int line, const wchar_t* message);

void setLogSink(LogSink sink);

// Formats `format` (wide printf conventions: %s takes a wide string) and hands
// the text to the sink. Use the LOG macro, which supplies function and line.
void writeLog(const char* function, int line, const wchar_t* format, ...);

// The sink of the product: forms the line and hands it to the process-wide writer.
void fileLogSink(const char* function, int line, const wchar_t* message);

// Creates the process-wide writer for `path` and starts its thread. Does nothing
// when the path is empty or the writer already exists.
void openLog(const std::wstring& path);

// Waits until what was logged so far is in the file, at most `waitMs`: for a
// process about to end at once. Does nothing before openLog.
void flushLog(unsigned long waitMs);

// Folder of the log: the roaming application data folder + "\tmdownloader\".
std::wstring logFolder();
// Makes the log's folder when it is missing and holds it and the roaming
// application data folder for the rest of the run, refusing a level that is
// a link or lies elsewhere than its path says (the process runs elevated:
// a user's link would let it write where the user cannot). The folder, as
// logFolder gives it, or empty when it is refused.
std::wstring holdLogFolder();

}  // namespace common

#define LOG(...)                                                                  \
  do {                                                                            \
    static constexpr auto log_function_ = common::detail::qualifiedName(__PRETTY_FUNCTION__); \
    common::writeLog(log_function_.c_str(), __LINE__, __VA_ARGS__);               \
  } while (0)
