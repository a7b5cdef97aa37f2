// Whole numbers as decimal text. The program formats numbers without MinGW's
// own printf family, which C++ code gets for snprintf, swprintf and
// std::to_wstring (its wide half alone is 12 KB of the shipped installer);
// where a format is needed the C library's _snprintf/_snwprintf serve.
#pragma once
#include <string>

namespace utility {

// "-42", "0", "18446744073709551615"...
std::wstring decimalText(long long value);
std::wstring decimalText(unsigned long long value);
inline std::wstring decimalText(int value) { return decimalText(static_cast<long long>(value)); }
inline std::wstring decimalText(unsigned value) {
  return decimalText(static_cast<unsigned long long>(value));
}
inline std::wstring decimalText(long value) { return decimalText(static_cast<long long>(value)); }
inline std::wstring decimalText(unsigned long value) {
  return decimalText(static_cast<unsigned long long>(value));
}

}  // namespace utility
