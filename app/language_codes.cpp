#include "app/language_codes.h"

namespace {

struct LanguageRow {
  const wchar_t* code;
  const wchar_t* locale;
  WORD primaryLanguage;  // low 10 bits of a Windows language id
};

constexpr WORD kChinese = 0x04;

// One row per language: installer code, skin locale, Windows primary language.
// clang-format off
const LanguageRow kLanguages[] = {
    {L"kr", L"ko_KR", 0x12},
    {L"en", L"en_US", 0x09},
    {L"vn", L"vi_VN", 0x2A},
    {L"th", L"th_TH", 0x1E},
    {L"ru", L"ru_RU", 0x19},
    {L"ua", L"uk_UA", 0x22},
    {L"pt", L"pt_PT", 0x16},
    {L"tr", L"tr_TR", 0x1F},
    {L"es", L"es_ES", 0x0A},
    {L"fr", L"fr_FR", 0x0C},
    {L"de", L"de_DE", 0x07},
    {L"jp", L"ja_JP", 0x11},
    {L"id", L"in_ID", 0x21},
    {L"ar", L"ar_IL", 0x01},
    {L"fa", L"fa_IR", 0x29},
    {L"in", L"hi_IN", 0x39},
    {L"it", L"it_IT", 0x10},
    {L"my", L"ms_MY", 0x3E},
    {L"tw", L"zh_TW", kChinese},
};
// clang-format on

}  // namespace

std::wstring uiLanguageToLocale(const std::wstring& fallback) {
  return localeForLanguageId(GetUserDefaultUILanguage(), fallback);
}

std::wstring localeForLanguageId(LANGID language, const std::wstring& fallback) {
  WORD primary = PRIMARYLANGID(language);
  // Simplified and traditional Chinese alike get the one Chinese locale.
  if (primary == kChinese) return L"zh_TW";
  for (const auto& row : kLanguages)
    if (row.primaryLanguage == primary) return row.locale;
  return fallback;
}

std::wstring codeToLocale(const std::wstring& code) {
  for (const auto& row : kLanguages)
    if (code == row.code) return row.locale;
  return L"en_US";
}

std::wstring localeToCode(const std::wstring& locale) {
  for (const auto& row : kLanguages)
    if (locale == row.locale) return row.code;
  return L"en";
}
