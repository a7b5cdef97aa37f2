#include "app/language_codes.h"

#include <gtest/gtest.h>

#include "utility/text.h"

namespace {

std::string narrow(const std::wstring& text) { return utility::wideToUtf8(text); }

struct LanguageRow {
  const wchar_t* code;
  const wchar_t* locale;
  WORD primaryLanguage;
};

// The installer's language codes, the skin's locales and Windows' primary ids.
// clang-format off
const LanguageRow kRows[] = {
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
    {L"tw", L"zh_TW", 0x04},
};
// clang-format on

}  // namespace

TEST(LanguageCodes, EveryRowTranslatesAllThreeWays) {
  ASSERT_EQ(std::size(kRows), 19u);
  for (const auto& row : kRows) {
    SCOPED_TRACE(narrow(row.code));
    EXPECT_EQ(codeToLocale(row.code), row.locale);
    EXPECT_EQ(localeToCode(row.locale), row.code);
    EXPECT_EQ(localeForLanguageId(MAKELANGID(row.primaryLanguage, SUBLANG_DEFAULT), L"fallback"),
              row.locale);
  }
}

TEST(LanguageCodes, UnknownCodesAndLocalesGetTheEnglishDefaults) {
  for (const wchar_t* code : {L"cn", L"", L"KR", L"en_US", L"xx"})
    EXPECT_EQ(codeToLocale(code), L"en_US") << narrow(code);
  for (const wchar_t* locale : {L"zh_CN", L"", L"ko_kr", L"kr", L"en_GB"})
    EXPECT_EQ(localeToCode(locale), L"en") << narrow(locale);
}

TEST(LanguageCodes, UiLanguageIdsByPrimaryLanguage) {
  struct Case {
    LANGID id;
    const wchar_t* locale;
  } cases[] = {
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), L"zh_TW"},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), L"zh_TW"},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), L"zh_TW"},
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), L"en_US"},
      {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN), L"pt_PT"},
      {MAKELANGID(LANG_DUTCH, SUBLANG_DUTCH), L"fallback"},
      {MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT), L"fallback"},
      {0, L"fallback"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(localeForLanguageId(c.id, L"fallback"), c.locale) << std::hex << c.id;
}
