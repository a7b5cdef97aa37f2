#include "utility/text_compare.h"

#include <windows.h>

#include <string>

#include "utility/system_library.h"

namespace utility {

bool sameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
  // CompareStringOrdinal is looked up, not imported: the program must load on
  // systems without it far enough to refuse them.
  using CompareOrdinalFn = int(WINAPI*)(LPCWCH, int, LPCWCH, int, BOOL);
  static const auto compareOrdinal =
      loadedSystemFunction<CompareOrdinalFn>(L"kernel32.dll", "CompareStringOrdinal");
  if (compareOrdinal) {
    return compareOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
  }
  if (a.size() != b.size()) return false;
  std::wstring upperA(a), upperB(b);
  CharUpperBuffW(upperA.data(), static_cast<DWORD>(upperA.size()));
  CharUpperBuffW(upperB.data(), static_cast<DWORD>(upperB.size()));
  return upperA == upperB;
}

}  // namespace utility
