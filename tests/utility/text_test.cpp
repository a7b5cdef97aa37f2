#include "utility/text.h"

#include <gtest/gtest.h>

#include "utility/text_compare.h"

TEST(TextConversion, Utf8AndWideRoundTrip) {
  struct Case {
    std::string utf8;
    std::wstring wide;
  } cases[] = {
      {"", L""},
      {"plain", L"plain"},
      {"D:\\\xE6\xB8\xB8\xE6\x88\x8F", L"D:\\\u6e38\u620f"},
      {std::string("nul\0inside", 10), std::wstring(L"nul\0inside", 10)},
      {"\xF0\x9F\x98\x80", L"\U0001F600"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utility::utf8ToWide(c.utf8), c.wide);
    EXPECT_EQ(utility::wideToUtf8(c.wide), c.utf8);
  }
}

TEST(TextConversion, AnsiPathsKeepAsciiAndReachUtf8ThroughWide) {
  EXPECT_EQ(utility::ansiToWide("C:\\Program Files"), L"C:\\Program Files");
  EXPECT_EQ(utility::wideToAnsi(L"vdplayer.exe"), "vdplayer.exe");
  EXPECT_EQ(utility::ansiToUtf8("abc"), "abc");
  EXPECT_EQ(utility::ansiToUtf8(""), "");
}

TEST(TextCompare, NamesMatchButForLetterCaseOnly) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
  } cases[] = {
      {L"C:\\Temp\\Setup_1", L"c:\\temp\\SETUP_1", true},
      {L"vdplayer.exe", L"VDPLAYER.EXE", true},
      {L"\u00C4rger", L"\u00E4RGER", true},
      {L"abc", L"abcd", false},
      {L"abc", L"abd", false},
      {L"", L"", true},
  };
  for (const auto& c : cases) EXPECT_EQ(utility::sameTextIgnoringCase(c.a, c.b), c.same) << c.a;
}
