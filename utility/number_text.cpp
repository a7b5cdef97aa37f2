#include "utility/number_text.h"

namespace utility {

std::wstring decimalText(unsigned long long value) {
  wchar_t digits[24];
  wchar_t* start = digits + sizeof(digits) / sizeof(digits[0]);
  do {
    *--start = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::wstring(start, digits + sizeof(digits) / sizeof(digits[0]));
}

std::wstring decimalText(long long value) {
  if (value >= 0) return decimalText(static_cast<unsigned long long>(value));
  // The magnitude computed without overflow, the smallest value included.
  return L"-" + decimalText(0ull - static_cast<unsigned long long>(value));
}

}  // namespace utility
