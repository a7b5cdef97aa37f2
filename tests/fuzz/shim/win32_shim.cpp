#include "windows.h"

#include <cstring>
#include <vector>

namespace {

// The code point at `bytes[i]` and its length in bytes; length 0 for a byte
// that starts no valid sequence.
uint32_t decodeUtf8(const unsigned char* bytes, size_t size, size_t i, size_t& length) {
  unsigned char lead = bytes[i];
  length = 0;
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  size_t need;
  uint32_t value, minimum;
  if ((lead & 0xE0) == 0xC0) {
    need = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    need = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    need = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + need > size) return 0;
  for (size_t k = 1; k < need; ++k) {
    if ((bytes[i + k] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (bytes[i + k] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  length = need;
  return value;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, const char* text, int count, wchar_t* out,
                        int capacity) {
  if (codePage != CP_UTF8 || !text || count < -1 || capacity < 0) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t size = count == -1 ? std::strlen(text) + 1 : static_cast<size_t>(count);
  std::vector<wchar_t> units;
  for (size_t i = 0; i < size;) {
    size_t length;
    uint32_t value = decodeUtf8(bytes, size, i, length);
    if (length == 0) {
      units.push_back(0xFFFD);
      ++i;
      continue;
    }
    i += length;
    if (value >= 0x10000) {
      value -= 0x10000;
      units.push_back(static_cast<wchar_t>(0xD800 + (value >> 10)));
      units.push_back(static_cast<wchar_t>(0xDC00 + (value & 0x3FF)));
    } else {
      units.push_back(static_cast<wchar_t>(value));
    }
  }
  if (capacity == 0) return static_cast<int>(units.size());
  if (units.size() > static_cast<size_t>(capacity)) return 0;
  std::memcpy(out, units.data(), units.size() * sizeof(wchar_t));
  return static_cast<int>(units.size());
}

HANDLE CreateFileW(const wchar_t*, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
  return INVALID_HANDLE_VALUE;
}
BOOL WriteFile(HANDLE, const void*, DWORD, DWORD* written, void*) {
  if (written) *written = 0;
  return FALSE;
}
BOOL CloseHandle(HANDLE) { return TRUE; }
BOOL CreateDirectoryW(const wchar_t*, void*) { return FALSE; }
