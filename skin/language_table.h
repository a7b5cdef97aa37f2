// The texts of the current language, read once at start from "language.tsv"
// (a loose file beside the program wins over the skin's copy). UI thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace DuiLib {

// The current language becomes `code`, or `fallback` when `code` is empty.
void setLanguage(const std::wstring& code, const std::wstring& fallback);
std::wstring language();
// Reads and parses the table named `fileName`.
void loadLanguageTable(const std::wstring& fileName);
// Adds the current language's column of a table held in memory.
void parseLanguageTable(const uint8_t* data, size_t size);
// The key's text, or null when the key is missing.
const std::wstring* findLangText(const std::wstring& key);
void setLangText(const std::wstring& key, const std::wstring& text);
// Replaces an "@key" text by the key's text when the key is known.
void resolveLangText(std::wstring& text);

}  // namespace DuiLib

// The text of a key for program code; a missing key returns (and from then on
// maps to) the key itself.
std::wstring langText(const char* key);
