#include "skin/language_table.h"

#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include "skin/language_tsv.h"
#include "skin/resource_map.h"
#include "utility/file_handle.h"
#include "utility/text.h"

namespace DuiLib {
namespace {

constexpr uint32_t kMaxLooseTable = 4 * 1024 * 1024;
// The skin's copy is parsed only when it holds more than this many bytes.
constexpr uint32_t kMinEmbeddedTable = 10;
constexpr size_t kMaxKeyLength = 127;

// Process-wide and never destroyed.
struct LanguageState {
  std::wstring language;
  std::map<std::wstring, std::wstring> texts;
  std::vector<std::wstring> embeddedOnly;  // keys only the embedded table may give
  // The header rows of the last table read: kept, not used further.
  std::vector<std::wstring> codes;
  std::vector<std::wstring> names;
};

LanguageState& state() {
  static LanguageState* language = new LanguageState;
  return *language;
}

// The loose table beside the program, when it can be opened. `opened` tells
// whether it could; the bytes are empty when it is empty, over 4 MiB or short.
std::string readLooseTable(const std::wstring& path, bool& opened) {
  utility::FileHandle file;
  opened = file.openForRead(path);
  std::string bytes;
  if (!opened) return bytes;
  if (file.size() != 0 && file.size() <= kMaxLooseTable) {
    bytes.resize(file.size());
    uint32_t got = 0;
    while (got < file.size()) {
      uint32_t chunk = file.read(bytes.data() + got, file.size() - got);
      if (chunk == 0) break;
      got += chunk;
    }
    if (got != bytes.size()) bytes.clear();
  }
  file.close();
  return bytes;
}

// The kept keys take the embedded table's texts, or go missing where it has none.
void restoreEmbeddedTexts(const std::wstring& fileName) {
  if (state().embeddedOnly.empty()) return;
  uint32_t size = 0;
  std::unique_ptr<uint8_t[]> embedded = loadEmbeddedResourceData(fileName, size);
  LanguageColumn column;
  if (embedded && size > kMinEmbeddedTable)
    column = readLanguageColumn(embedded.get(), size, state().language);
  for (const std::wstring& key : state().embeddedOnly) {
    state().texts.erase(key);
    for (auto& [rowKey, text] : column.texts) {
      if (rowKey == key) state().texts[key] = text;  // a later row wins, as when parsed
    }
  }
}

}  // namespace

void keepEmbeddedTexts(std::vector<std::wstring> keys) { state().embeddedOnly = std::move(keys); }

void setLanguage(const std::wstring& code, const std::wstring& fallback) {
  state().language = code.empty() ? fallback : code;
}

std::wstring language() { return state().language; }

void loadLanguageTable(const std::wstring& fileName) {
  bool opened = false;
  std::string loose = readLooseTable(instancePath() + fileName, opened);
  if (opened) {
    // The loose file wins completely, even when it gives no table at all,
    // but for the kept keys.
    if (!loose.empty())
      parseLanguageTable(reinterpret_cast<const uint8_t*>(loose.data()), loose.size());
    restoreEmbeddedTexts(fileName);
    return;
  }
  uint32_t size = 0;
  std::unique_ptr<uint8_t[]> skinCopy = loadResourceData(fileName, size);
  if (skinCopy && size > kMinEmbeddedTable) parseLanguageTable(skinCopy.get(), size);
  // A "skin" folder beside the program is loose too.
  if (!resourcePath().empty()) restoreEmbeddedTexts(fileName);
}

void parseLanguageTable(const uint8_t* data, size_t size) {
  LanguageColumn column = readLanguageColumn(data, size, state().language);
  if (!column.accepted) return;
  state().codes = std::move(column.codes);
  state().names = std::move(column.names);
  for (auto& [key, text] : column.texts) state().texts[key] = std::move(text);
}

const std::wstring* findLangText(const std::wstring& key) {
  auto found = state().texts.find(key);
  return found == state().texts.end() ? nullptr : &found->second;
}

void setLangText(const std::wstring& key, const std::wstring& text) { state().texts[key] = text; }

void resolveLangText(std::wstring& text) {
  if (text.size() <= 1 || text[0] != L'@') return;
  if (const std::wstring* found = findLangText(text.substr(1))) text = *found;
}

void clearLangTexts() { state().texts.clear(); }

}  // namespace DuiLib

std::wstring langText(const char* key) {
  if (!key) return {};
  std::wstring wideKey =
      utility::ansiToWide(std::string_view(key, strnlen(key, DuiLib::kMaxKeyLength)));
  if (const std::wstring* found = DuiLib::findLangText(wideKey)) return *found;
  DuiLib::setLangText(wideKey, wideKey);
  return *DuiLib::findLangText(wideKey);
}
