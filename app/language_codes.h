// The installer's two-letter language codes, the skin's locales and the Windows
// UI language, related by one fixed table. Plain functions; none logs.
#pragma once
#include <windows.h>

#include <string>

// The locale of the user's Windows UI language (GetUserDefaultUILanguage), or
// `fallback` when the table has no row for it. Every Chinese gives "zh_TW".
std::wstring uiLanguageToLocale(const std::wstring& fallback);
// The rule behind uiLanguageToLocale for a given language id.
std::wstring localeForLanguageId(LANGID language, const std::wstring& fallback);
// "kr" -> "ko_KR"; an unknown code (also "cn" and "") gives "en_US".
std::wstring codeToLocale(const std::wstring& code);
// "ko_KR" -> "kr"; an unknown locale gives "en".
std::wstring localeToCode(const std::wstring& locale);
