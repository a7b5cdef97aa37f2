// A loose "language.tsv" beside the program comes from the user's machine:
// any bytes go through the table's parser, for a language that the first byte
// picks (one in the table, one missing, an empty one).
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/language_tsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const wchar_t* const kLanguages[] = {L"en_US", L"zh_CN", L"uk_UA", L"xx_XX", L""};
  const wchar_t* language = kLanguages[data[0] % 5];
  DuiLib::LanguageColumn column = DuiLib::readLanguageColumn(data + 1, size - 1, language);
  for (const auto& [key, text] : column.texts)
    if (key.size() > DuiLib::kLanguageCellUnits || text.size() > DuiLib::kLanguageCellUnits)
      __builtin_trap();
  return 0;
}
