// The installer's own file name comes from the user's machine: any text of
// UTF-16 units goes through the start-parameter parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/start_parameters.h"

namespace {

// A part is what lies between two "_", trimmed of blanks.
bool isTrimmedPart(const std::wstring& part) {
  return part.find(L'_') == std::wstring::npos &&
         (part.empty() || (part.front() != L' ' && part.back() != L' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring name;
  for (size_t i = 0; i + 1 < size; i += 2)
    name.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
  StartParameters p = parseStartParameters(name);
  for (const std::wstring* part : {&p.type, &p.language, &p.package, &p.id})
    if (!isTrimmedPart(*part)) __builtin_trap();
  for (const std::wstring* part : {&p.language, &p.package, &p.id})
    if (!isSwitchSafe(*part)) __builtin_trap();
  return 0;
}
