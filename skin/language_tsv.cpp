#include "skin/language_tsv.h"

#include <windows.h>

namespace DuiLib {
namespace {

bool isLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

std::vector<std::wstring> rowTexts(const TsvRow& row) {
  std::vector<std::wstring> texts;
  for (std::string_view cell : row) texts.push_back(languageCellText(cell));
  return texts;
}

bool headerIs(const std::vector<TsvRow>& rows, size_t index, std::string_view name) {
  return rows.size() > index && rows[index].size() >= 2 && rows[index][1] == name;
}

// The first language column when no code matches.
constexpr size_t kFirstLanguageColumn = 2;

}  // namespace

std::vector<TsvRow> splitLanguageRows(const uint8_t* data, size_t size) {
  std::vector<TsvRow> rows;
  const char* text = reinterpret_cast<const char*>(data);
  size_t pos = 0;
  for (;;) {
    while (pos < size && (isLineEnd(data[pos]) || data[pos] == '\t')) pos++;
    if (pos >= size) break;
    TsvRow row;
    for (;;) {
      size_t start = pos;
      while (pos < size && data[pos] != '\t' && !isLineEnd(data[pos])) pos++;
      row.emplace_back(text + start, pos - start);
      if (pos >= size || data[pos] != '\t') break;
      pos++;  // the TAB; one that ends the line starts no cell
      if (pos >= size || isLineEnd(data[pos])) break;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::wstring languageCellText(std::string_view cell) {
  if (cell.empty()) return {};
  wchar_t buffer[kLanguageCellUnits];
  int units = MultiByteToWideChar(CP_UTF8, 0, cell.data(), (int)cell.size(), buffer,
                                  (int)kLanguageCellUnits);
  return std::wstring(buffer, units > 0 ? (size_t)units : 0);
}

LanguageColumn readLanguageColumn(const uint8_t* data, size_t size, const std::wstring& language) {
  LanguageColumn result;
  std::vector<TsvRow> rows = splitLanguageRows(data, size);
  if (!headerIs(rows, 0, "language_code") || !headerIs(rows, 1, "language_name")) return result;
  result.accepted = true;
  result.codes = rowTexts(rows[0]);
  result.names = rowTexts(rows[1]);
  result.column = kFirstLanguageColumn;
  for (size_t i = 0; i < result.codes.size(); i++) {
    if (result.codes[i] == language) {
      result.column = i;
      break;
    }
  }
  for (size_t r = 2; r < rows.size(); r++) {
    const TsvRow& row = rows[r];
    if (row.size() < 2 || row.size() <= result.column) continue;
    result.texts.emplace_back(languageCellText(row[1]), languageCellText(row[result.column]));
  }
  return result;
}

}  // namespace DuiLib
