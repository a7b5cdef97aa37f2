// Rules for the entry names of a 7z archive being unpacked: how long a name may
// be, which names may be written below a target folder, and the path they get.
#pragma once
#include <string>
#include <string_view>

namespace utility::un7z {

// Entry names are kept in a buffer of 260 UTF-16 units with its terminator.
inline constexpr size_t kMaxNameLength = 259;

// True when writing the name below a folder stays inside it: not empty, not
// absolute (no leading separator, no ':' anywhere, which also rules out drive
// letters and alternate streams), no part made only of dots and blanks (such
// as ".."), and no part naming a DOS device ("CON", "nul.txt", "COM1"...).
bool isSafeEntryName(std::wstring_view name);

// The folder and the name joined by one back-slash (none is added when the
// folder already ends with a separator), with every "/" turned into "\".
std::wstring targetPath(std::wstring_view folder, std::wstring_view name);

// The path without its last part ("a\b\c" gives "a\b"); empty with no separator.
std::wstring parentPath(std::wstring_view path);

}  // namespace utility::un7z
