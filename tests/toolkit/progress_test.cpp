// The progress bar keeps its value within its range and fills the share of
// its length that the value has reached, from the reading side.
#include "toolkit/progress.h"

#include <gtest/gtest.h>

#include <string>

#include "skin/language_table.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/paint_manager.h"
#include "toolkit/surface.h"

namespace DuiLib {
namespace {

constexpr uint32_t kFill = 0xFF0000;

// A bar laid out alone over `width` x `height` pixels.
struct Bar {
  CPaintManagerUI manager;
  CProgressUI* bar = nullptr;
  int width, height;

  Bar(const std::wstring& attributes, int width = 200, int height = 10)
      : width(width), height(height) {
    manager.init(nullptr, 100);
    manager.attachRoot(buildLayoutString(
        L"<Window><Progress name=\"bar\" bkcolor=\"#FF000000\" forecolor=\"#FFFF0000\" " +
            attributes + L"/></Window>",
        manager.style()));
    bar = static_cast<CProgressUI*>(manager.findControl(L"bar"));
    manager.layout({0, 0, width, height});
  }
  // Draws the bar and returns the filled pixels of the row (or column) through its middle.
  std::wstring filledPixels() {
    Surface surface;
    EXPECT_TRUE(surface.resize(width, height));
    PaintContext context = surface.context({0, 0, width, height}, 100);
    bar->paint(context);
    GdiFlush();
    std::wstring line;
    bool horizontal = width >= height;
    for (int i = 0; i < (horizontal ? width : height); ++i) {
      uint32_t pixel = horizontal ? surface.pixels()[(height / 2) * width + i]
                                  : surface.pixels()[i * width + width / 2];
      line += (pixel & 0xFFFFFF) == kFill ? L'#' : L'.';
    }
    return line;
  }
};

std::wstring run(int filled, int empty) {
  return std::wstring(filled, L'#') + std::wstring(empty, L'.');
}

TEST(ProgressBar, ValuesStayWithinTheRange) {
  struct Case {
    const wchar_t* attributes;
    int value;  // set after the layout; -1000: none
    int min, max, expected;
  } cases[] = {
      {L"min=\"0\" max=\"100\" value=\"42\"", -1000, 0, 100, 42},
      {L"min=\"0\" max=\"100\" value=\"120\"", -1000, 0, 100, 100},
      {L"value=\"50\" min=\"60\"", -1000, 60, 100, 60},  // a later minimum pulls the value up
      {L"", -5, 0, 100, 0},
      {L"", 101, 0, 100, 100},
      {L"min=\"20\" max=\"70\"", 10, 20, 70, 20},
      {L"min=\"20\" max=\"70\"", 99, 20, 70, 70},
      {L"min=\"50\" max=\"10\"", 30, 50, 50, 50},  // a maximum below the minimum: an empty range
  };
  for (const Case& c : cases) {
    Bar bar(c.attributes);
    if (c.value != -1000) bar.bar->setValue(c.value);
    EXPECT_EQ(bar.bar->getValue(), c.expected) << c.attributes << " " << c.value;
    EXPECT_EQ(bar.bar->getMinValue(), c.min) << c.attributes;
    EXPECT_EQ(bar.bar->getMaxValue(), c.max) << c.attributes;
  }
  Bar shrinking(L"value=\"90\"");
  shrinking.bar->setRange(0, 63);
  EXPECT_EQ(shrinking.bar->getValue(), 63);
}

TEST(ProgressBar, FillsTheShareTheValueReached) {
  struct Case {
    const wchar_t* attributes;
    int value;
    std::wstring filled;
  } cases[] = {
      {L"", 0, run(0, 200)},
      {L"", 1, run(2, 198)},
      {L"", 42, run(84, 116)},
      {L"", 100, run(200, 0)},
      {L"", 250, run(200, 0)},
      {L"min=\"20\" max=\"70\"", 45, run(100, 100)},
      {L"min=\"50\" max=\"10\"", 50, run(0, 200)},
  };
  for (const Case& c : cases) {
    Bar bar(c.attributes);
    bar.bar->setValue(c.value);
    EXPECT_EQ(bar.filledPixels(), c.filled) << c.attributes << " " << c.value;
  }
  Bar upright(L"hor=\"false\" value=\"25\"", 10, 40);  // from the bottom up
  EXPECT_EQ(upright.filledPixels(), std::wstring(30, L'.') + std::wstring(10, L'#'));
}

TEST(ProgressBar, RightToLeftLanguagesFillFromTheRight) {
  setLanguage(L"ar_IL", L"en_US");
  Bar bar(L"value=\"25\"");
  std::wstring filled = bar.filledPixels();
  setLanguage(L"en_US", L"en_US");
  EXPECT_EQ(filled, std::wstring(150, L'.') + std::wstring(50, L'#'));
}

}  // namespace
}  // namespace DuiLib
