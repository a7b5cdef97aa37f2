// A drop-down choice: selection by code and by the user through its list,
// "itemselect" only for a change that asks for it, and the chosen text drawn.
#include "toolkit/combo.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/toolkit/layout_window.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {
namespace {

const char kLayout[] = R"(<Window size="200,60"><VerticalLayout>
  <Combo name="combo" height="30" selectedid="1" bkcolor="#FFFFFFFF" textcolor="#FF000000" textpadding="4,0,4,0">
    <ListLabelElement text="One"/><ListLabelElement text="Two"/><ListLabelElement text="Three wide words"/>
  </Combo>
  <Control name="below"/>
</VerticalLayout></Window>)";

class ComboFixture : public ::testing::Test {
 protected:
  LayoutWindow window;
  CComboUI* combo = nullptr;

  void SetUp() override {
    ASSERT_TRUE(window.open(kLayout));
    combo = window.control<CComboUI>(L"combo");
    ASSERT_NE(combo, nullptr);
  }
  // The width of the combo's drawn text, in pixels.
  int inkWidth() {
    window.manager().render();
    const Surface& picture = window.manager().picture();
    int left = -1, right = -1;
    for (int x = 0; x < picture.width(); ++x) {
      for (int y = 0; y < 30; ++y) {
        if ((picture.pixels()[y * picture.width() + x] & 0xFF) < 0x80) {
          if (left < 0) left = x;
          right = x;
        }
      }
    }
    return left < 0 ? 0 : right - left + 1;
  }
  // Clicks the combo with `keys` already waiting for its list.
  void chooseWith(std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) PostMessageW(window.getHWND(), WM_KEYDOWN, key, 0);
    RECT pos = combo->getPos();
    LPARAM at = MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
    SendMessageW(window.getHWND(), WM_MOUSEMOVE, 0, at);
    SendMessageW(window.getHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window.getHWND(), WM_LBUTTONUP, 0, at);
  }
};

TEST_F(ComboFixture, SelectionByCodeStaysInRangeAndNotifiesOnlyWhenAsked) {
  EXPECT_EQ(combo->getCurSel(), 1);
  int two = inkWidth();
  EXPECT_GT(two, 0);
  struct Step {
    int index;
    bool notify;
    bool accepted;
    int selected;
    size_t events;
  } steps[] = {
      {2, false, true, 2, 0},  {0, true, true, 0, 1},
      {0, true, true, 0, 1},  // no change: no notice
      {3, true, false, 0, 1},  {-2, true, false, 0, 1},
      {-1, true, true, -1, 2},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(combo->selectItem(s.index, s.notify), s.accepted) << s.index;
    EXPECT_EQ(combo->getCurSel(), s.selected) << s.index;
    EXPECT_EQ(window.events.size(), s.events) << s.index;
  }
  EXPECT_EQ(window.events.front(), L"itemselect:combo");
  EXPECT_EQ(inkWidth(), 0);  // nothing chosen: no text
  combo->selectItem(2);
  EXPECT_GT(inkWidth(), two);
  combo->remove(combo->getItemAt(2));  // the chosen item goes: nothing is chosen
  EXPECT_EQ(combo->getCurSel(), -1);
  EXPECT_EQ(inkWidth(), 0);
}

TEST(Combo, LayoutSelectionBeyondTheItemsChoosesNothing) {
  CPaintManagerUI manager;
  manager.init(nullptr, 100);
  manager.attachRoot(buildLayoutString(
      LR"(<Window><Combo name="c" selectedid="5"><ListLabelElement text="One"/></Combo></Window>)",
      manager.style()));
  auto* combo = static_cast<CComboUI*>(manager.findControl(L"c"));
  EXPECT_EQ(combo->getCurSel(), -1);
  EXPECT_TRUE(combo->selectItem(0));
  EXPECT_EQ(combo->getCurSel(), 0);
}

TEST_F(ComboFixture, ChoosingFromTheListSelectsAndNotifies) {
  chooseWith({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(combo->getCurSel(), 2);
  EXPECT_EQ(window.events, std::vector<std::wstring>{L"itemselect:combo"});
  chooseWith({VK_DOWN, VK_ESCAPE});  // the list closed without a choice
  EXPECT_EQ(combo->getCurSel(), 2);
  EXPECT_EQ(window.events.size(), 1u);
}

}  // namespace
}  // namespace DuiLib
