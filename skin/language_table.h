// The texts of the current language, read once at start from "language.tsv"
// (a loose file beside the program wins over the skin's copy). UI thread only.
// The file format is described in skin/language_tsv.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace DuiLib {

// The current language becomes `code`, or `fallback` when `code` is empty.
void setLanguage(const std::wstring& code, const std::wstring& fallback);
std::wstring language();
// Reads and parses the table named `fileName`: the file of that name beside the
// program when it can be opened (it must hold 1 byte to 4 MiB, else no table
// at all), otherwise the skin's copy (loadResourceData). The kept keys'
// texts then come from the embedded skin's table, whatever a loose one said.
void loadLanguageTable(const std::wstring& fileName);
// Keys whose texts only the embedded skin's table may give (a key it lacks
// stays missing): loose files beside the program are anyone's, and must not
// change what the user consents to or where the program sends them. Set
// before the table is loaded.
void keepEmbeddedTexts(std::vector<std::wstring> keys);
// Adds the current language's column of a table held in memory.
void parseLanguageTable(const uint8_t* data, size_t size);
// The key's text, or null when the key is missing.
const std::wstring* findLangText(const std::wstring& key);
void setLangText(const std::wstring& key, const std::wstring& text);
// Replaces an "@key" text by the key's text when the key is known.
void resolveLangText(std::wstring& text);

// Empties the text map. For tests; the program never calls it.
void clearLangTexts();

}  // namespace DuiLib

// The text of a key for program code; a missing key returns (and from then on
// maps to) the key itself. Keys are ASCII; only their first 127 characters count.
std::wstring langText(const char* key);
