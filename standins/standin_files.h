// What both stand-in programs need: their own location and a record of how
// they were started, kept beside them for tests and the demo to read.
#pragma once
#include <string>

namespace standins {

// The full path of the running program.
std::wstring ownPath();
// `folder` followed by `name`, with one back-slash between them.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
// Appends `line` and CRLF, in UTF-8, to the file `path`.
void appendLine(const std::wstring& path, const std::wstring& line);
// Appends `line` and CRLF, in UTF-8, to the file `name` beside the program.
void appendBesideSelf(const std::wstring& name, const std::wstring& line);
// Writes `size` bytes to `path`, replacing the file; true when all were written.
bool writeWholeFile(const std::wstring& path, const void* bytes, unsigned long size);

}  // namespace standins
