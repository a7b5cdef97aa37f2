#include "toolkit/attribute_values.h"

#include <gtest/gtest.h>

#include "toolkit/image_desc.h"

namespace DuiLib {
namespace {

TEST(AttributeValues, ColorsInTheirWrittenForms) {
  struct Case {
    const wchar_t* text;
    bool ok;
    DWORD argb;
  } cases[] = {
      {L"#FF17171A", true, 0xFF17171A}, {L"#17171a", true, 0xFF17171A}, {L"0x80FFFFFF", true, 0x80FFFFFF},
      {L"#12345", false, 0},           {L"red", false, 0},             {L"#GG000000", false, 0},
  };
  for (const Case& c : cases) {
    DWORD argb = 0;
    EXPECT_EQ(parseColor(c.text, argb), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(argb, c.argb) << c.text;
    }
  }
}

TEST(AttributeValues, RectsSizesAndBooleans) {
  RECT rect = parseRect(L"10, -2,30,4");
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, -2);
  EXPECT_EQ(rect.right, 30);
  EXPECT_EQ(rect.bottom, 4);
  RECT partial = parseRect(L"5,6");
  EXPECT_EQ(partial.right, 0);
  EXPECT_EQ(partial.bottom, 0);
  SIZE size = parseSize(L"436,236");
  EXPECT_EQ(size.cx, 436);
  EXPECT_EQ(size.cy, 236);
  EXPECT_TRUE(parseBool(L"true"));
  EXPECT_TRUE(parseBool(L"TRUE"));
  EXPECT_TRUE(parseBool(L"1"));
  EXPECT_FALSE(parseBool(L"false"));
  EXPECT_FALSE(parseBool(L""));
}

TEST(AttributeValues, AttributeListsKeepOrderAndStopAtBrokenQuotes) {
  auto pairs = parseAttributeList(L"width=\"6\" thumbcolor='#59FFFFFF'  name = \"a b\" broken=\"x");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].first, L"width");
  EXPECT_EQ(pairs[0].second, L"6");
  EXPECT_EQ(pairs[1].second, L"#59FFFFFF");
  EXPECT_EQ(pairs[2].first, L"name");
  EXPECT_EQ(pairs[2].second, L"a b");
}

TEST(ImageDescription, BareNamesAndPartLists) {
  ImageDesc bare = parseImageDesc(L"common/msg_noice48.png");
  EXPECT_EQ(bare.file, L"common/msg_noice48.png");
  EXPECT_FALSE(bare.hasSource);

  ImageDesc full = parseImageDesc(
      L"file='common\\btn_bg_default.png' source='20,0,40,28' corner='6,6,6,6' mask='#FFFF00FF' fade='300' "
      L"dest='0,4,16,20'");
  EXPECT_EQ(full.file, L"common\\btn_bg_default.png");
  ASSERT_TRUE(full.hasSource);
  EXPECT_EQ(full.source.left, 20);
  EXPECT_EQ(full.source.right, 40);
  EXPECT_EQ(full.corner.top, 6);
  ASSERT_TRUE(full.hasMask);
  EXPECT_EQ(full.mask, 0xFFFF00FFu);
  EXPECT_EQ(full.fade, 255);  // kept within 0..255
  ASSERT_TRUE(full.hasDest);
  EXPECT_EQ(full.dest.bottom, 20);
}

}  // namespace
}  // namespace DuiLib
