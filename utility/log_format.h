// Formatting a log message: wide printf conventions ("%s" takes a wide
// string), except that CR and LF inside a text argument are written as the
// two characters "\r" and "\n". A logged value (a path, an address, a text
// from a file the user can change) thus never starts a line of its own that
// would look like the program's; the format's own line breaks stay.
#pragma once
#include <cstdarg>
#include <string>

namespace common {

// At most `maxChars` characters; a longer message is cut. "%n" writes nothing.
std::wstring formatLogMessage(const wchar_t* format, va_list args, size_t maxChars);

}  // namespace common
