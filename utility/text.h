// Conversions between the program's UTF-16 texts and narrow (ANSI or UTF-8)
// byte strings. Each converts the whole input by its length; an empty input or
// a failed conversion gives an empty string.
#pragma once
#include <string>
#include <string_view>

namespace utility {

std::wstring ansiToWide(std::string_view text);
std::wstring utf8ToWide(std::string_view text);
std::string wideToAnsi(std::wstring_view text);
std::string wideToUtf8(std::wstring_view text);
// ANSI code page to UTF-8, through a wide string.
std::string ansiToUtf8(std::string_view text);

}  // namespace utility
