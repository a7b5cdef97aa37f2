// The "language.tsv" format as plain functions over bytes:
//  - UTF-8; rows end with CR LF, CR or LF; empty lines are skipped, and so are
//    TABs at the very start of a line (a row cannot begin with an empty cell);
//  - cells are separated by one TAB each, two TABs in a row make an empty cell,
//    and a TAB that ends a line makes no empty last cell;
//  - row 1: label, "language_code", then the language codes; row 2: label,
//    "language_name", then each language's own name; every further row: label,
//    text key, then the text in each language, in the order of row 1;
//  - a cell becomes UTF-16 through a buffer of 512 units; a cell that needs
//    more becomes an empty text; no escapes ("\r\n", "%s" and "<n>" stay as
//    written).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace DuiLib {

inline constexpr size_t kLanguageCellUnits = 512;

using TsvRow = std::vector<std::string_view>;

// The rows of the data, each as its raw UTF-8 cells (views into `data`).
std::vector<TsvRow> splitLanguageRows(const uint8_t* data, size_t size);

// One cell as UTF-16; empty when it needs more than kLanguageCellUnits units.
std::wstring languageCellText(std::string_view cell);

struct LanguageColumn {
  bool accepted = false;                                     // both header rows were in order
  size_t column = 0;                                         // the chosen cell index (0-based)
  std::vector<std::wstring> codes;                           // row 1 as read
  std::vector<std::wstring> names;                           // row 2 as read
  std::vector<std::pair<std::wstring, std::wstring>> texts;  // key, text; file order
};

// The column of `language` (the first row-1 cell equal to it, else the first
// language column) with every row long enough to have a cell there. Nothing
// is read when row 1's second cell is not "language_code" or row 2's is not
// "language_name".
LanguageColumn readLanguageColumn(const uint8_t* data, size_t size, const std::wstring& language);

}  // namespace DuiLib
