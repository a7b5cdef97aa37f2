// A window whose pictures are all PNG is drawn without GDI+ or the imaging
// codecs it would load; the first GIF starts GDI+. A program of its own:
// any earlier test in the same process could have started GDI+ already.
#include <gtest/gtest.h>

#include "tests/toolkit/layout_window.h"
#include "tests/toolkit/test_images.h"
#include "toolkit/gif_anim.h"

namespace DuiLib {
namespace {

const char kLayout[] = R"(<Window size="120,80" layeredimage="file='shadow.png' corner='4,4,4,4'" roundcorner="4,4">
  <VerticalLayout name="root" bkimage="back.png" inset="10,10,10,10">
    <Control name="glass" height="20" bkcolor="#80FFFFFF"/>
    <Label name="label" text="Install" height="20"/>
    <GifAnim name="gif" width="8" height="8" visible="false" bkimage="spin.gif"/>
  </VerticalLayout></Window>)";

bool loaded(const wchar_t* dll) { return GetModuleHandleW(dll) != nullptr; }

TEST(FirstFrame, PngPicturesAreDrawnWithoutGdiplus) {
  LayoutWindow window;
  testing_support::PngKind kind;
  kind.width = 12;
  kind.height = 12;
  std::vector<uint16_t> blue;
  for (int i = 0; i < kind.width * kind.height; ++i) blue.insert(blue.end(), {0, 0, 255, 255});
  ASSERT_TRUE(testing_support::writeFile(window.skin().file(L"back.png"), testing_support::pngFile(kind, blue)));
  ASSERT_TRUE(testing_support::writeFile(window.skin().file(L"shadow.png"), testing_support::pngFile(kind, blue)));
  ASSERT_TRUE(testing_support::writeFile(window.skin().file(L"spin.gif"),
                                         testing_support::gifFile(4, 4, {0xFF0000, 0x00FF00}, 2)));
  ASSERT_TRUE(window.open(kLayout));

  // The background shows, under the half-white glass as a lighter blue.
  const Surface& picture = window.manager().picture();
  RECT root = window.findControl(L"root")->getPos();
  RECT glass = window.findControl(L"glass")->getPos();
  const uint32_t* pixels = picture.pixels();
  EXPECT_EQ(pixels[(root.bottom - 2) * picture.width() + root.left + 2] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(pixels[(glass.top + 5) * picture.width() + glass.left + 5] & 0xFFFFFF, 0x8080FFu);
  EXPECT_FALSE(loaded(L"gdiplus.dll"));
  EXPECT_FALSE(loaded(L"windowscodecs.dll"));

  // What only GDI+ reads starts it when it is first drawn.
  window.findControl(L"gif")->setVisible(true);
  window.manager().render();
  EXPECT_EQ(static_cast<CGifAnimUI*>(window.findControl(L"gif"))->frameCount(), 2);
  EXPECT_TRUE(loaded(L"gdiplus.dll"));
}

}  // namespace
}  // namespace DuiLib
