// Layouts built from strings and laid out without a window.
#include <gtest/gtest.h>

#include "skin/resource_map.h"
#include "tests/support/test_support.h"
#include "toolkit/button.h"
#include "toolkit/container.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/label.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {
namespace {

struct Laid {
  CPaintManagerUI manager;

  Laid(const std::wstring& xml, int width, int height, int scale = 100) {
    manager.init(nullptr, scale);
    manager.attachRoot(buildLayoutString(xml, manager.style()));
    manager.layout({0, 0, width, height});
  }
  RECT pos(const wchar_t* name) {
    CControlUI* control = manager.findControl(name);
    EXPECT_NE(control, nullptr) << name;
    return control ? control->getPos() : RECT{-1, -1, -1, -1};
  }
};

void expectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom, const char* what) {
  EXPECT_EQ(actual.left, left) << what;
  EXPECT_EQ(actual.top, top) << what;
  EXPECT_EQ(actual.right, right) << what;
  EXPECT_EQ(actual.bottom, bottom) << what;
}

TEST(Layout, FixedSizesPaddingAndFillInNestedLines) {
  Laid laid(LR"(<Window size="200,100">
    <VerticalLayout name="root" padding="10,10,10,10" inset="4,4,4,4" childpadding="2">
      <HorizontalLayout name="row" height="30">
        <Label name="fixed" width="50" padding="5,0,5,0"/>
        <Label name="fill"/>
        <Button name="right" width="40" height="20" padding="0,5,0,0"/>
      </HorizontalLayout>
      <Control name="rest"/>
      <Control name="bottom" height="10"/>
    </VerticalLayout></Window>)",
            200, 100);
  expectRect(laid.pos(L"root"), 10, 10, 190, 90, "root");
  expectRect(laid.pos(L"row"), 14, 14, 186, 44, "row");
  expectRect(laid.pos(L"fixed"), 19, 14, 69, 44, "fixed");
  expectRect(laid.pos(L"fill"), 74, 14, 146, 44, "fill");
  expectRect(laid.pos(L"right"), 146, 19, 186, 39, "right");
  // 72 inner height: 30 row + 10 bottom + two gaps of 2 leave 28 for "rest".
  expectRect(laid.pos(L"rest"), 14, 46, 186, 74, "rest");
  expectRect(laid.pos(L"bottom"), 14, 76, 186, 86, "bottom");
}

TEST(Layout, HiddenChildrenTakeNoRoomAndCentringAligns) {
  Laid laid(LR"(<Window><VerticalLayout childalign="center">
      <Control name="a" height="20" width="40"/>
      <Control name="hidden" height="50" visible="false"/>
      <HorizontalLayout name="row" height="30" childalign="center">
        <Button name="b1" width="30"/><Button name="b2" width="30" padding="10,0,0,0"/>
      </HorizontalLayout>
    </VerticalLayout></Window>)",
            100, 100);
  expectRect(laid.pos(L"a"), 30, 0, 70, 20, "a");
  expectRect(laid.pos(L"row"), 0, 20, 100, 50, "row");
  expectRect(laid.pos(L"b1"), 15, 20, 45, 50, "b1");
  expectRect(laid.pos(L"b2"), 55, 20, 85, 50, "b2");
}

TEST(Layout, FloatingChildrenSitAtTheirOwnPosition) {
  Laid laid(LR"(<Window><VerticalLayout>
      <Control name="flow" height="40"/>
      <Control name="float" float="true" pos="10,20,60,45"/>
      <Control name="after" height="10"/>
    </VerticalLayout></Window>)",
            100, 100);
  expectRect(laid.pos(L"float"), 10, 20, 60, 45, "float");
  expectRect(laid.pos(L"after"), 0, 40, 100, 50, "after");  // floats leave the flow alone
}

TEST(Layout, ScaleAppliesToEveryLength) {
  Laid laid(LR"(<Window><HorizontalLayout inset="2,2,2,2">
      <Control name="a" width="40" padding="10,0,0,0"/><Control name="b"/>
    </HorizontalLayout></Window>)",
            300, 60, 150);
  expectRect(laid.pos(L"a"), 18, 3, 78, 57, "a");
  expectRect(laid.pos(L"b"), 78, 3, 297, 57, "b");
}

TEST(Layout, TabShowsOnlyTheSelectedPage) {
  Laid laid(LR"(<Window><TabLayout name="tab" selectedid="1">
      <Control name="p0"/><VerticalLayout name="p1"><Button name="inner"/></VerticalLayout><Control name="p2"/>
    </TabLayout></Window>)",
            50, 50);
  auto* tab = static_cast<CTabLayoutUI*>(laid.manager.findControl(L"tab"));
  EXPECT_FALSE(laid.manager.findControl(L"p0")->isVisible());
  EXPECT_TRUE(laid.manager.findControl(L"inner")->isVisible());
  EXPECT_TRUE(tab->selectItem(2));
  EXPECT_FALSE(laid.manager.findControl(L"inner")->isVisible());  // a hidden parent hides its children
  EXPECT_TRUE(laid.manager.findControl(L"p2")->isVisible());
  EXPECT_FALSE(tab->selectItem(3));
  EXPECT_EQ(tab->getCurSel(), 2);
}

TEST(Layout, IncludeDefaultsAndFontsFromSharedFiles) {
  testing_support::TempDir skin;
  ASSERT_TRUE(testing_support::writeFile(
      skin.file(L"shared.xml"),
      R"(<Window><Default name="Button" value="height=&quot;24&quot; textcolor=&quot;#FF112233&quot;"/>
         <Font id="3" name="Arial" size="20" bold="true"/></Window>)"));
  ASSERT_TRUE(testing_support::writeFile(skin.file(L"row.xml"),
                                         R"(<HorizontalLayout name="included" height="30"><Button name="inc"/></HorizontalLayout>)"));
  setResourcePath(skin.path());
  Laid laid(LR"(<Window><Include source="shared.xml"/><VerticalLayout>
      <Include source="row.xml"/><Button name="own" height="40" font="3"/>
    </VerticalLayout></Window>)",
            100, 100);
  setResourcePath(L"");
  expectRect(laid.pos(L"included"), 0, 0, 100, 30, "included");
  expectRect(laid.pos(L"inc"), 0, 0, 100, 24, "inc");  // the default height of buttons
  expectRect(laid.pos(L"own"), 0, 30, 100, 70, "own");  // its own height wins over the default
  auto* own = static_cast<CButtonUI*>(laid.manager.findControl(L"own"));
  EXPECT_EQ(own->getTextColor(), 0xFF112233u);
  EXPECT_EQ(laid.manager.fonts().get(3).face, L"Arial");
  EXPECT_TRUE(laid.manager.fonts().get(3).bold);
}

TEST(Layout, SelfIncludingFileStopsAndBrokenLayoutsGiveNothing) {
  testing_support::TempDir skin;
  ASSERT_TRUE(testing_support::writeFile(skin.file(L"loop.xml"),
                                         R"(<Window><Include source="loop.xml"/><Control name="c"/></Window>)"));
  setResourcePath(skin.path());
  WindowStyle style;
  auto root = buildLayoutFile(L"loop.xml", style);
  EXPECT_NE(root, nullptr);
  EXPECT_EQ(buildLayoutFile(L"missing.xml", style), nullptr);
  setResourcePath(L"");
  EXPECT_EQ(buildLayoutString(L"<Window><VerticalLayout>", style), nullptr);
}

TEST(Layout, ButtonsInsertedAtAnIndexLineUpBetweenSpacers) {
  Laid laid(LR"(<Window><HorizontalLayout name="bar"><Control name="s1"/><Control name="s2"/></HorizontalLayout></Window>)",
            300, 30);
  auto* bar = static_cast<CContainerUI*>(laid.manager.findControl(L"bar"));
  for (const wchar_t* name : {L"first", L"second"}) {
    auto button = std::make_unique<CButtonUI>();
    button->setName(name);
    button->setFixedWidth(60);
    ASSERT_NE(bar->addAt(std::move(button), bar->getCount() - 1), nullptr);
  }
  EXPECT_EQ(bar->addAt(std::make_unique<CButtonUI>(), 9), nullptr);
  laid.manager.layout({0, 0, 300, 30});
  ASSERT_EQ(bar->getCount(), 4);
  EXPECT_EQ(bar->getItemAt(1)->getName(), L"first");
  EXPECT_EQ(bar->getItemAt(2)->getName(), L"second");
  expectRect(laid.pos(L"first"), 90, 0, 150, 30, "first");
  expectRect(laid.pos(L"second"), 150, 0, 210, 30, "second");
}

TEST(Layout, MinWidthExGrowsWithTheText) {
  Laid laid(LR"(<Window><HorizontalLayout>
      <Button name="short" text="OK" width="90" minwidthex="100" textpadding="20,0,20,0"/>
      <Button name="long" text="Download by browser, please, right now" width="90" minwidthex="100" textpadding="20,0,20,0"/>
      <Control/></HorizontalLayout></Window>)",
            600, 30);
  RECT shortPos = laid.pos(L"short");
  RECT longPos = laid.pos(L"long");
  EXPECT_EQ(shortPos.right - shortPos.left, 100);
  EXPECT_GT(longPos.right - longPos.left, 150);
}

TEST(Layout, FindByNameAndEnabledFollowParents) {
  Laid laid(LR"(<Window><VerticalLayout name="outer"><HorizontalLayout name="row" enabled="false">
      <Button name="btn"/></HorizontalLayout><Label name="label"/></VerticalLayout></Window>)",
            100, 100);
  EXPECT_EQ(laid.manager.findControl(L"nope"), nullptr);
  EXPECT_EQ(laid.manager.findControl(L""), nullptr);
  CControlUI* button = laid.manager.findControl(L"btn");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(std::wstring(button->getClass()), L"Button");
  EXPECT_NE(button->getInterface(L"Button"), nullptr);
  EXPECT_EQ(button->getInterface(L"Selection"), nullptr);
  EXPECT_FALSE(button->isEnabled());
  laid.manager.findControl(L"row")->setEnabled(true);
  EXPECT_TRUE(button->isEnabled());
  button->setEnabled(false);
  EXPECT_FALSE(button->isEnabled());
}

}  // namespace
}  // namespace DuiLib
