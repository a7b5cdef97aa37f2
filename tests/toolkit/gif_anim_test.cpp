// An animated image plays on the window's timer while it is on screen, and
// stands still while it, a parent or the window itself is hidden.
#include "toolkit/gif_anim.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/test_support.h"
#include "tests/toolkit/layout_window.h"
#include "tests/toolkit/test_images.h"
#include "toolkit/container.h"

namespace DuiLib {
namespace {

const char kLayout[] = R"(<Window size="120,80"><TabLayout name="tab">
  <VerticalLayout name="page" inset="10,10,10,10"><GifAnim name="gif" width="40" height="40" bkimage="spin.gif"/></VerticalLayout>
  <Control name="other"/>
</TabLayout></Window>)";

const uint32_t kFrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF};

class GifFixture : public ::testing::Test {
 protected:
  LayoutWindow window;
  CGifAnimUI* gif = nullptr;

  void SetUp() override {
    ASSERT_TRUE(testing_support::writeFile(
        window.skin().file(L"spin.gif"),
        testing_support::gifFile(4, 4, {0xFF0000, 0x00FF00, 0x0000FF}, 2)));
    ASSERT_TRUE(window.open(kLayout));
    gif = window.control<CGifAnimUI>(L"gif");
    ASSERT_NE(gif, nullptr);
  }
  // Frames shown while the message loop runs for `ms`.
  std::set<int> framesDuring(DWORD ms) {
    std::set<int> seen{gif->currentFrame()};
    testing_support::pumpUntil(
        [&] {
          seen.insert(gif->currentFrame());
          return false;
        },
        ms);
    return seen;
  }
  // The colour the window's picture shows in the middle of the image.
  uint32_t shownColour() {
    window.manager().render();
    const Surface& picture = window.manager().picture();
    return picture.pixels()[30 * picture.width() + 30] & 0xFFFFFF;
  }
};

TEST_F(GifFixture, FramesAdvanceOnTheTimerAndAreDrawn) {
  ASSERT_EQ(gif->frameCount(), 3);
  EXPECT_EQ(shownColour(), kFrameColours[gif->currentFrame()]);
  EXPECT_EQ(framesDuring(600), (std::set<int>{0, 1, 2}));
  EXPECT_EQ(shownColour(), kFrameColours[gif->currentFrame()]);
}

TEST_F(GifFixture, HiddenImagesStandStillAndPlayAgainWhenShown) {
  gif->setVisible(false);
  EXPECT_EQ(framesDuring(300).size(), 1u);
  gif->setVisible(true);
  EXPECT_EQ(framesDuring(600).size(), 3u);

  // Hidden with its page: the tab shows another one.
  auto* tab = window.control<CTabLayoutUI>(L"tab");
  tab->selectItem(1);
  testing_support::pumpUntil([] { return false; }, 100);  // a tick already due may still come
  EXPECT_EQ(framesDuring(300).size(), 1u);
  tab->selectItem(0);
  EXPECT_EQ(framesDuring(600).size(), 3u);

  // Nothing of the window on screen: hidden, then minimised.
  for (int hide : {SW_HIDE, SW_MINIMIZE}) {
    SCOPED_TRACE(hide);
    ShowWindow(window.getHWND(), hide);
    testing_support::pumpUntil([] { return false; }, 100);
    EXPECT_EQ(framesDuring(300).size(), 1u);
    ShowWindow(window.getHWND(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(framesDuring(600).size(), 3u);
  }
}

}  // namespace
}  // namespace DuiLib

namespace DuiLib {
namespace {

// An animation on a page not shown yet is read once the window is up, so it
// plays at once when its page is first shown.
TEST(GifPrepared, HiddenAnimationIsReadOnceTheWindowIsUp) {
  LayoutWindow window;
  ASSERT_TRUE(testing_support::writeFile(window.skin().file(L"later.gif"),
                                         testing_support::gifFile(4, 4, {0xFF0000, 0x00FF00}, 2)));
  ASSERT_TRUE(window.open(R"(<Window size="60,60"><VerticalLayout>
    <GifAnim name="gif" width="8" height="8" visible="false" bkimage="later.gif"/></VerticalLayout></Window>)"));
  auto* gif = window.control<CGifAnimUI>(L"gif");
  ASSERT_NE(gif, nullptr);
  EXPECT_TRUE(testing_support::pumpUntil([&] { return gif->frameCount() == 2; }, 5000));
}

}  // namespace
}  // namespace DuiLib
