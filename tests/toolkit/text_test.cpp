// "@key" texts go through the language table at every drawing; plain texts
// and unknown keys are drawn as written.
#include <gtest/gtest.h>

#include <string>

#include "skin/language_table.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/label.h"
#include "toolkit/paint_manager.h"
#include "toolkit/render.h"

namespace DuiLib {
namespace {

class LanguageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setLanguage(L"en_US", L"en_US");
    std::string table =
        "Code\tlanguage_code\tzh_CN\ten_US\r\n"
        "Language\tlanguage_name\tx\tEnglish\r\n"
        "Label\tminimize_tip\tzh\tMinimize\r\n"
        "Label\tbrowser\tzh\tBrowse...\r\n";
    parseLanguageTable(reinterpret_cast<const uint8_t*>(table.data()), table.size());
  }
};

TEST_F(LanguageFixture, TextsAndTooltipsResolveAtEveryDrawing) {
  CPaintManagerUI manager;
  manager.init(nullptr, 100);
  manager.attachRoot(buildLayoutString(
      LR"(<Window><VerticalLayout><Button name="b" text="@browser" tooltip="@minimize_tip"/>
          <Label name="plain" text="browser"/><Label name="unknown" text="@close_tip"/>
          <Label name="at" text="@"/></VerticalLayout></Window>)",
      manager.style()));
  CControlUI* button = manager.findControl(L"b");
  EXPECT_EQ(button->getText(), L"@browser");  // the raw text is kept
  EXPECT_EQ(button->resolvedText(), L"Browse...");
  EXPECT_EQ(button->resolvedToolTip(), L"Minimize");
  setLangText(L"browser", L"Choose...");
  EXPECT_EQ(button->resolvedText(), L"Choose...");  // not cached
  EXPECT_EQ(manager.findControl(L"plain")->resolvedText(), L"browser");
  EXPECT_EQ(manager.findControl(L"unknown")->resolvedText(), L"@close_tip");
  EXPECT_EQ(manager.findControl(L"at")->resolvedText(), L"@");
}

// Draws a label into a small surface and says whether any pixel changed.
bool drawsSomething(CLabelUI& label) {
  Surface surface;
  EXPECT_TRUE(surface.resize(200, 40));
  surface.clear(0xFFFFFFFF);
  label.setPos({0, 0, 200, 40});
  PaintContext context = surface.context({0, 0, 200, 40}, 100);
  label.paint(context);
  GdiFlush();
  for (int i = 0; i < 200 * 40; ++i) {
    if ((surface.pixels()[i] & 0xFFFFFF) != 0xFFFFFF) return true;
  }
  return false;
}

TEST_F(LanguageFixture, PlainAndFormattedTextBothDraw) {
  CLabelUI plain;
  plain.setText(L"@browser");
  EXPECT_TRUE(drawsSomething(plain));
  CLabelUI html;
  html.setShowHtml(true);
  html.setText(L"<u>@</u><b>bold</b><n>next");
  EXPECT_TRUE(drawsSomething(html));
  CLabelUI empty;
  EXPECT_FALSE(drawsSomething(empty));
}

TEST(WrappingText, WordsJoinedByNoBreakSpacesOpenUpOnlyWhenTooWide) {
  auto letters = [](const std::wstring& text) { return static_cast<int>(text.size()); };
  struct Case {
    const wchar_t* text;
    int maxWidth;
    const wchar_t* wrappable;
  } cases[] = {
      {L"While\u00A0Vorlane\u00A0installs,\u00A0we", 12, L"While Vorlane installs, we"},
      {L"Offer\u00A0provided by", 20, L"Offer\u00A0provided by"},  // fits: stays together
      {L"a\u00A0b cc\u00A0dd\u00A0ee\nff\u00A0g", 5, L"a\u00A0b cc dd ee\nff\u00A0g"},
      {L"plain words only", 1, L"plain words only"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(breakOverlongJoins(c.text, c.maxWidth, letters), c.wrappable) << c.text;
}

}  // namespace
}  // namespace DuiLib
