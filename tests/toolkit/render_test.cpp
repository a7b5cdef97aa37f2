// Images drawn from their descriptions: a part of the source, the nine-grid,
// the mask colour and the "@2x" sibling at 150 %, pixel by pixel.
#include "toolkit/render.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/resource_map.h"
#include "tests/support/test_support.h"
#include "tests/toolkit/test_images.h"
#include "toolkit/surface.h"

namespace DuiLib {
namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                   kMagenta = 0xFF00FF, kGrey = 0x404040;

// A surface filled with grey that images are drawn onto.
class Canvas {
 public:
  Canvas(int width, int height) {
    EXPECT_TRUE(surface_.resize(width, height));
    surface_.clear(0xFF000000 | kGrey);
  }
  bool draw(const RECT& dest, const std::wstring& description, int scalePercent = 100) {
    PaintContext context =
        surface_.context({0, 0, surface_.width(), surface_.height()}, scalePercent);
    bool drawn = drawImage(context, dest, description);
    GdiFlush();
    return drawn;
  }
  // The colour at (x, y) as 0xRRGGBB.
  uint32_t at(int x, int y) const { return surface_.pixels()[y * surface_.width() + x] & 0xFFFFFF; }

 private:
  Surface surface_;
};

class ImageDrawing : public ::testing::Test {
 protected:
  testing_support::TempDir skin;

  void SetUp() override { setResourcePath(skin.path()); }
  void TearDown() override { setResourcePath(L""); }
  // Image names are process-wide cache keys: each test uses its own.
  void write(const wchar_t* name, int width, int height, const std::vector<uint32_t>& pixels) {
    ASSERT_TRUE(testing_support::writeFile(skin.file(name),
                                           testing_support::bmpFile(width, height, pixels)));
  }
};

TEST_F(ImageDrawing, SourcePartIsDrawnAloneWhetherCopiedOrStretched) {
  write(L"render_columns.bmp", 4, 2, {kRed, kGreen, kBlue, kWhite, kRed, kGreen, kBlue, kWhite});
  Canvas canvas(40, 20);
  ASSERT_TRUE(canvas.draw({10, 10, 12, 12}, L"file='render_columns.bmp' source='1,0,3,2'"));
  EXPECT_EQ(canvas.at(10, 10), kGreen);
  EXPECT_EQ(canvas.at(11, 11), kBlue);
  EXPECT_EQ(canvas.at(9, 10), kGrey);  // nothing outside the destination
  EXPECT_EQ(canvas.at(12, 10), kGrey);

  // Stretched four times: green into blue, never the red or white beside the part.
  ASSERT_TRUE(canvas.draw({20, 0, 28, 2}, L"file='render_columns.bmp' source='1,0,3,2'"));
  EXPECT_EQ(canvas.at(20, 0), kGreen);
  EXPECT_EQ(canvas.at(27, 1), kBlue);
  for (int x = 20; x < 28; ++x) {
    EXPECT_EQ(canvas.at(x, 0) >> 16, 0u) << "no red at " << x;
    if (x > 20) {
      EXPECT_GE(canvas.at(x - 1, 0) >> 8 & 0xFF, canvas.at(x, 0) >> 8 & 0xFF)
          << "green fades at " << x;
    }
  }
  EXPECT_FALSE(canvas.draw({0, 0, 4, 4}, L"file='render_missing.bmp'"));
}

// Red corners of `corner` x `corner` pixels, green edges, a blue middle.
std::vector<uint32_t> gridPixels(int size, int corner) {
  std::vector<uint32_t> pixels(size * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      bool edgeX = x < corner || x >= size - corner, edgeY = y < corner || y >= size - corner;
      pixels[y * size + x] = edgeX && edgeY ? kRed : (edgeX || edgeY ? kGreen : kBlue);
    }
  }
  return pixels;
}

TEST_F(ImageDrawing, NineGridKeepsCornersAndEdgesAndStretchesTheMiddle) {
  write(L"render_grid.bmp", 6, 6, gridPixels(6, 2));
  write(L"render_sharp.bmp", 6, 6, gridPixels(6, 2));
  write(L"render_sharp@2x.bmp", 12, 12, gridPixels(12, 4));
  struct Case {
    const wchar_t* file;
    int scale;
    int corner;  // the corners' size in pixels at this scale
  } cases[] = {
      {L"render_grid.bmp", 100, 2},
      {L"render_grid.bmp", 150, 3},
      {L"render_sharp.bmp", 150, 3},  // the "@2x" file's corners count twice as many pixels
      {L"render_sharp.bmp", 200, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file << " " << c.scale << "%");
    Canvas canvas(30, 20);
    ASSERT_TRUE(canvas.draw({0, 0, 30, 20},
                            std::wstring(L"file='") + c.file + L"' corner='2,2,2,2'", c.scale));
    const int k = c.corner;
    for (POINT p :
         {POINT{0, 0}, POINT{k - 1, k - 1}, POINT{29, 19}, POINT{30 - k, 20 - k}, POINT{0, 19}})
      EXPECT_EQ(canvas.at(p.x, p.y), kRed) << p.x << "," << p.y;
    for (POINT p : {POINT{k, 0}, POINT{15, k - 1}, POINT{29 - k, 19}, POINT{0, 10}, POINT{29, k}})
      EXPECT_EQ(canvas.at(p.x, p.y), kGreen) << p.x << "," << p.y;
    for (POINT p : {POINT{k, k}, POINT{15, 10}, POINT{29 - k, 19 - k}})
      EXPECT_EQ(canvas.at(p.x, p.y), kBlue) << p.x << "," << p.y;
  }
}

TEST_F(ImageDrawing, MaskColourIsLeftTransparent) {
  write(L"render_masked.bmp", 2, 1, {kMagenta, kGreen});
  Canvas canvas(4, 2);
  ASSERT_TRUE(canvas.draw({0, 0, 2, 1}, L"file='render_masked.bmp' mask='#FFFF00FF'"));
  EXPECT_EQ(canvas.at(0, 0), kGrey);
  EXPECT_EQ(canvas.at(1, 0), kGreen);
  ASSERT_TRUE(canvas.draw({0, 1, 2, 2}, L"render_masked.bmp"));  // no mask: drawn as it is
  EXPECT_EQ(canvas.at(0, 1), kMagenta);
}

TEST_F(ImageDrawing, HighDensitySiblingServesScalesAbove100) {
  write(L"render_dot.bmp", 2, 2, {kRed, kRed, kRed, kRed});
  // Twice the pixels: a green left half and a blue right half.
  write(L"render_dot@2x.bmp", 4, 4,
        {kGreen, kGreen, kBlue, kBlue, kGreen, kGreen, kBlue, kBlue, kGreen, kGreen, kBlue, kBlue,
         kGreen, kGreen, kBlue, kBlue});
  write(L"render_plain.bmp", 1, 1, {kWhite});
  struct Case {
    const wchar_t* description;
    int scale;
    RECT dest;
    uint32_t left, right;
  } cases[] = {
      {L"render_dot.bmp", 100, {0, 0, 2, 2}, kRed, kRed},
      {L"render_dot.bmp", 150, {0, 0, 3, 3}, kGreen, kBlue},
      {L"render_dot.bmp", 200, {0, 0, 4, 4}, kGreen, kBlue},
      // A source part counts in layout pixels, whichever file serves it.
      {L"file='render_dot.bmp' source='1,0,2,2'", 150, {0, 0, 2, 3}, kBlue, kBlue},
      {L"file='render_dot.bmp' source='0,0,1,2'", 100, {0, 0, 2, 3}, kRed, kRed},
      {L"render_plain.bmp", 150, {0, 0, 2, 2}, kWhite, kWhite},  // no sibling: the plain file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.scale << "% " << c.description);
    Canvas canvas(4, 4);
    ASSERT_TRUE(canvas.draw(c.dest, c.description, c.scale));
    EXPECT_EQ(canvas.at(0, 0), c.left);
    EXPECT_EQ(canvas.at(c.dest.right - 1, c.dest.bottom - 1), c.right);
  }
}

// A layered window's shadow is drawn only where it can show, yet every pixel
// around the content and under its rounded corners is the whole shadow's.
TEST_F(ImageDrawing, LayeredPictureShowsTheWholeShadowAroundTheContent) {
  std::vector<uint32_t> shadow(30 * 30);
  for (int i = 0; i < 30 * 30; ++i) shadow[i] = (i * 2654435761u) & 0xFFFFFF;  // no two alike
  write(L"render_shadow.bmp", 30, 30, shadow);
  const std::wstring description = L"file='render_shadow.bmp' corner='10,10,10,10'";
  const int width = 120, height = 90;
  const RECT content{12, 14, 100, 80};

  Canvas whole(width, height);  // the shadow drawn everywhere, as a reference
  ASSERT_TRUE(whole.draw({0, 0, width, height}, description));
  Surface inside;
  ASSERT_TRUE(inside.resize(width, height));
  inside.clear(0xFF000000 | kBlue);
  LayeredPicture picture;
  picture.compose(inside, description, content, SIZE{12, 12}, 100);
  const Surface& shown = picture.surface();
  ASSERT_EQ(shown.width(), width);
  auto pixel = [&](int x, int y) { return shown.pixels()[y * width + x]; };

  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      POINT at{x, y};
      if (!PtInRect(&content, at)) {
        ASSERT_EQ(pixel(x, y) & 0xFFFFFF, whole.at(x, y)) << x << "," << y;
      }
    }
  }
  // A corner's outermost pixel is mostly shadow, and opaque like both; the
  // content's middle is the content.
  EXPECT_EQ(pixel(content.left, content.top) >> 24, 255u);
  EXPECT_NE(pixel(content.left, content.top) & 0xFFFFFF, kBlue);
  EXPECT_EQ(pixel(content.right - 1, content.bottom - 1) >> 24, 255u);
  EXPECT_NE(pixel(content.right - 1, content.bottom - 1) & 0xFFFFFF, kBlue);
  EXPECT_EQ(pixel(50, 40), 0xFF000000 | kBlue);
}

}  // namespace
}  // namespace DuiLib
