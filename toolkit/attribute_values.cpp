#include "toolkit/attribute_values.h"

#include <cwctype>

namespace DuiLib {
namespace {

// Reads one signed integer at `pos` and moves past it and one separator.
int readNumber(const std::wstring& text, size_t& pos) {
  while (pos < text.size() && iswspace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) negative = text[pos++] == L'-';
  long long value = 0;
  while (pos < text.size() && iswdigit(text[pos])) {
    if (value < 100000000) value = value * 10 + (text[pos] - L'0');
    ++pos;
  }
  while (pos < text.size() && text[pos] != L',') ++pos;
  if (pos < text.size()) ++pos;
  return static_cast<int>(negative ? -value : value);
}

int hexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

int parseInt(const std::wstring& text) {
  size_t pos = 0;
  return readNumber(text, pos);
}

bool parseBool(const std::wstring& text) {
  if (text.size() == 4 && towlower(text[0]) == L't' && towlower(text[1]) == L'r' &&
      towlower(text[2]) == L'u' && towlower(text[3]) == L'e') {
    return true;
  }
  return parseInt(text) != 0;
}

SIZE parseSize(const std::wstring& text) {
  size_t pos = 0;
  SIZE size;
  size.cx = readNumber(text, pos);
  size.cy = readNumber(text, pos);
  return size;
}

RECT parseRect(const std::wstring& text) {
  size_t pos = 0;
  RECT rect;
  rect.left = readNumber(text, pos);
  rect.top = readNumber(text, pos);
  rect.right = readNumber(text, pos);
  rect.bottom = readNumber(text, pos);
  return rect;
}

bool parseColor(const std::wstring& text, DWORD& argb) {
  size_t start = 0;
  if (!text.empty() && text[0] == L'#') {
    start = 1;
  } else if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    start = 2;
  } else {
    return false;
  }
  size_t digits = text.size() - start;
  if (digits != 6 && digits != 8) return false;
  DWORD value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    int digit = hexDigit(text[i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<DWORD>(digit);
  }
  argb = digits == 6 ? (0xFF000000u | value) : value;
  return true;
}

std::vector<std::pair<std::wstring, std::wstring>> parseAttributeList(const std::wstring& text) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && iswspace(text[pos])) ++pos;
    size_t nameStart = pos;
    while (pos < text.size() && text[pos] != L'=' && !iswspace(text[pos])) ++pos;
    std::wstring name = text.substr(nameStart, pos - nameStart);
    while (pos < text.size() && iswspace(text[pos])) ++pos;
    if (name.empty() || pos >= text.size() || text[pos] != L'=') break;
    ++pos;
    while (pos < text.size() && iswspace(text[pos])) ++pos;
    if (pos >= text.size() || (text[pos] != L'"' && text[pos] != L'\'')) break;
    wchar_t quote = text[pos++];
    size_t end = text.find(quote, pos);
    if (end == std::wstring::npos) break;
    pairs.emplace_back(std::move(name), text.substr(pos, end - pos));
    pos = end + 1;
  }
  return pairs;
}

}  // namespace DuiLib
