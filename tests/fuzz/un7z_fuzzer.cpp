// The skin archive's reader takes bytes: any archive goes through the 7z
// extraction in callback mode (the mode that fills the skin's resource map),
// and every name it hands out through the target-folder rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/un7z.h"
#include "skin/un7z_names.h"

namespace {

void takeEntry(const wchar_t* name, const uint8_t* data, int32_t size) {
  // Every byte handed out must be readable: the sanitizer checks the reads.
  volatile uint8_t sum = 0;
  for (int32_t i = 0; i < size; ++i) sum = sum + data[i];
  std::wstring entry = name;
  if (utility::un7z::isSafeEntryName(entry)) {
    std::wstring path = utility::un7z::targetPath(L"C:\\skin", entry);
    utility::un7z::parentPath(path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  utility::un7z::extractToCallback(data, static_cast<uint32_t>(size), &takeEntry);
  return 0;
}
