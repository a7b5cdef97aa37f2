// A long read-only text scrolls with the mouse wheel and its scroll bar, stays
// within its ends, and draws the part scrolled to.
#include "toolkit/rich_edit.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/layout_window.h"

namespace DuiLib {
namespace {

const char kLayout[] = R"(<Window size="200,120"><VerticalLayout>
  <RichEdit name="text" height="80" textpadding="4,4,4,4" scrollbarwidth="6" bkcolor="#FFFFFFFF"
            textcolor="#FF000000" trackcolor="#FF808080"/>
  <Control name="below"/>
</VerticalLayout></Window>)";

class RichEditFixture : public ::testing::Test {
 protected:
  LayoutWindow window;
  CRichEditUI* text = nullptr;

  void SetUp() override {
    ASSERT_TRUE(window.open(kLayout));
    text = window.control<CRichEditUI>(L"text");
    ASSERT_NE(text, nullptr);
    // A dense first line, then thirty nearly empty ones.
    std::wstring lines = L"MMMMMMMMMMMMMMMMMMMMMM";
    for (int i = 0; i < 30; ++i) lines += L"\n.";
    text->setText(lines);
    window.manager().render();
  }
  // Turns the wheel by `delta` (WHEEL_DELTA a notch; negative: towards the
  // user, down the text) over `control`.
  void wheel(const wchar_t* control, int delta) {
    RECT pos = window.findControl(control)->getPos();
    POINT at{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    ClientToScreen(window.getHWND(), &at);
    SendMessageW(window.getHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(at.x, at.y));
    window.manager().render();
  }
  void mouse(UINT message, int x, int y) {
    SendMessageW(window.getHWND(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(x, y));
  }
  int visibleHeight() const { return 80 - 8; }
  int maxScroll() const { return text->contentHeight() - visibleHeight(); }
  // Dark pixels in the text's first 12 rows as drawn.
  int inkAtTheTop() {
    window.manager().render();
    const Surface& picture = window.manager().picture();
    int ink = 0;
    for (int y = 4; y < 16; ++y) {
      for (int x = 4; x < 180; ++x) {
        if ((picture.pixels()[y * picture.width() + x] & 0xFF) < 0x80) ++ink;
      }
    }
    return ink;
  }
};

TEST_F(RichEditFixture, WheelScrollsThreeLinesANotchAndStopsAtBothEnds) {
  ASSERT_GT(maxScroll(), 100);
  int dense = inkAtTheTop();
  struct Turn {
    const wchar_t* over;
    int delta;
    int scroll;  // -1: the end of the text
  } turns[] = {
      {L"text", -WHEEL_DELTA, 54},
      {L"text", WHEEL_DELTA, 0},
      {L"text", WHEEL_DELTA, 0},
      {L"text", -WHEEL_DELTA / 3, 18},  // a fine-grained wheel or touchpad scrolls a line
      {L"text", -WHEEL_DELTA / 3, 36},
      {L"text", -40 * WHEEL_DELTA, -1},
      {L"below", 5 * WHEEL_DELTA, -1},  // over another control: nothing
  };
  for (const Turn& turn : turns) {
    wheel(turn.over, turn.delta);
    EXPECT_EQ(text->scrollPos(), turn.scroll < 0 ? maxScroll() : turn.scroll) << turn.delta;
  }
  text->setScrollPos(54);
  EXPECT_LT(inkAtTheTop(), dense / 4);  // the dense first line has gone up
  text->setText(L"short");              // a new text starts at its top
  EXPECT_EQ(text->scrollPos(), 0);
  window.manager().render();
  wheel(L"text", -WHEEL_DELTA);
  EXPECT_EQ(text->scrollPos(), 0);  // nothing to scroll
}

TEST_F(RichEditFixture, ScrollBarPagesAndDrags) {
  RECT pos = text->getPos();
  int barX = pos.right - 5;                     // inside the 6 pixels of the bar, 2 from the edge
  mouse(WM_LBUTTONDOWN, barX, pos.bottom - 5);  // on the track below the thumb: a page down
  mouse(WM_LBUTTONUP, barX, pos.bottom - 5);
  EXPECT_EQ(text->scrollPos(), visibleHeight());
  text->setScrollPos(0);
  window.manager().render();
  // The thumb dragged all the way down, and beyond.
  mouse(WM_MOUSEMOVE, barX, pos.top + 5);
  mouse(WM_LBUTTONDOWN, barX, pos.top + 5);
  mouse(WM_MOUSEMOVE, barX, pos.top + 40);
  EXPECT_GT(text->scrollPos(), 0);
  mouse(WM_MOUSEMOVE, barX, pos.bottom + 200);
  EXPECT_EQ(text->scrollPos(), maxScroll());
  mouse(WM_LBUTTONUP, barX, pos.bottom + 200);
  mouse(WM_MOUSEMOVE, barX, pos.top);  // released: moving no longer scrolls
  EXPECT_EQ(text->scrollPos(), maxScroll());
}

}  // namespace
}  // namespace DuiLib
