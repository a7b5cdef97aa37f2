#include "utility/log_format.h"

#include <cstdio>
#include <cwchar>

#include "utility/number_text.h"

namespace common {
namespace {

// One conversion of the format, "%" to its conversion letter.
struct Conversion {
  std::wstring spec;   // as written, with any "*" widths replaced by their values
  wchar_t letter = 0;
  int longs = 0;       // "l" counts 1, "ll" and "I64" count 2
  bool shorts = false; // "h": with "s", a narrow text
  bool sizeT = false;  // "z" or "I"
};

// Reads a conversion at `format` (just after the "%"); its end.
const wchar_t* readConversion(const wchar_t* format, va_list* args, Conversion* out) {
  out->spec = L"%";
  const wchar_t* p = format;
  while (*p && wcschr(L"-+ #0", *p)) out->spec += *p++;
  for (int part = 0; part < 2; ++part) {  // the width, then a precision after "."
    if (part == 1) {
      if (*p != L'.') break;
      out->spec += *p++;
    }
    if (*p == L'*') {
      out->spec += utility::decimalText(va_arg(*args, int));
      ++p;
    }
    while (*p >= L'0' && *p <= L'9') out->spec += *p++;
  }
  for (;;) {
    if (*p == L'l' || *p == L'h' || *p == L'L') {
      out->longs += *p == L'l';
      out->shorts = out->shorts || *p == L'h';
      out->spec += *p;
      ++p;
    } else if (wcsncmp(p, L"I64", 3) == 0) {
      out->longs = 2;
      out->spec += L"ll";
      p += 3;
    } else if (*p == L'z' || *p == L'I') {
      out->sizeT = true;
      out->spec += L"z";
      ++p;
    } else {
      break;
    }
  }
  out->letter = *p;
  if (*p) out->spec += *p++;
  return p;
}

template <typename Char>
std::basic_string<Char> escapedLineBreaks(const Char* text) {
  std::basic_string<Char> out;
  for (; text && *text; ++text) {
    if (*text == '\r' || *text == '\n') {
      out += '\\';
      out += *text == '\r' ? 'r' : 'n';
    } else {
      out += *text;
    }
  }
  return out;
}

template <typename T>
std::wstring formatted(const std::wstring& spec, T value) {
  wchar_t text[128] = {};
  _snwprintf(text, 127, spec.c_str(), value);
  return text;
}

// A text argument with its line breaks escaped, formatted by its conversion.
template <typename Char>
std::wstring formattedText(const std::wstring& spec, const Char* text) {
  if (!text) return formatted(spec, text);  // as the formatter shows a null text
  std::basic_string<Char> value = escapedLineBreaks(text);
  int length = _scwprintf(spec.c_str(), value.c_str());
  if (length <= 0) return {};
  std::wstring out(length + 1, L'\0');
  _snwprintf(out.data(), out.size(), spec.c_str(), value.c_str());
  out.resize(length);
  return out;
}

// The text one conversion gives, taking its argument from `args`.
std::wstring convert(Conversion& c, va_list* args) {
  switch (c.letter) {
    case L's':  // the Microsoft convention: "%s" a wide text, "%hs" and "%S" narrow ones
      if (c.shorts) return formattedText(c.spec, va_arg(*args, const char*));
      return formattedText(c.spec, va_arg(*args, const wchar_t*));
    case L'S':
      return formattedText(c.spec, va_arg(*args, const char*));
    case L'd': case L'i': case L'u': case L'o': case L'x': case L'X':
      if (c.sizeT) return formatted(c.spec, va_arg(*args, size_t));
      if (c.longs >= 2) return formatted(c.spec, va_arg(*args, long long));
      if (c.longs == 1) return formatted(c.spec, va_arg(*args, long));
      return formatted(c.spec, va_arg(*args, int));
    case L'c':
      return formatted(c.spec, va_arg(*args, int));
    case L'p':
      return formatted(c.spec, va_arg(*args, void*));
    case L'e': case L'E': case L'f': case L'F': case L'g': case L'G': case L'a': case L'A':
      return formatted(c.spec, va_arg(*args, double));
    case L'n':
      va_arg(*args, void*);  // counts nothing: nothing is written through a logged pointer
      return {};
    case L'%':
      return L"%";
    default:
      return c.spec;  // not a conversion: written as it stands
  }
}

}  // namespace

std::wstring formatLogMessage(const wchar_t* format, va_list args, size_t maxChars) {
  va_list rest;
  va_copy(rest, args);
  std::wstring message;
  for (const wchar_t* p = format; p && *p && message.size() < maxChars;) {
    if (*p != L'%') {
      message += *p++;
      continue;
    }
    Conversion conversion;
    p = readConversion(p + 1, &rest, &conversion);
    message += convert(conversion, &rest);
  }
  va_end(rest);
  if (message.size() > maxChars) message.resize(maxChars);
  return message;
}

}  // namespace common
