// Real windows built from a layout file: notification routing, the base
// click handling, focus and keyboard with its focus mark, and the layered
// picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/resource_map.h"
#include "tests/support/test_support.h"
#include "tests/toolkit/layout_window.h"
#include "toolkit/edit.h"
#include "toolkit/message_filter.h"
#include "toolkit/option.h"
#include "toolkit/window_base.h"

namespace DuiLib {
namespace {

const char kLayout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="300,200" caption="0,0,0,30" layeredimage="file='shadow.png' corner='10,10,10,10'" roundcorner="8,8"
        accentcolor="#FFFF0000">
  <VerticalLayout name="root" padding="10,10,10,10" bkcolor="#FF202020">
    <HorizontalLayout height="30">
      <Label name="title" text="Title"/>
      <Button name="minbtn" width="30" taborder="1"/>
      <Button name="closebtn" width="30" taborder="1"/>
    </HorizontalLayout>
    <Edit name="nameedit" height="30" text="start"/>
    <Option name="agree" height="30" text="agree"/>
    <HorizontalLayout height="40">
      <Button name="okbtn" text="OK" default="true"/>
      <Button name="offbtn" text="Off" enabled="false"/>
      <Button name="otherbtn" text="Other"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

class TestWindow : public WindowImplBase {
 public:
  std::vector<std::wstring> events;
  bool finished = false;

  const wchar_t* getWindowClassName() const override { return L"ToolkitTestWindow"; }
  std::wstring getSkinFile() const override { return L"test.xml"; }
  bool notifyFromTable(TNotifyUI& msg) override { return routeNotify(this, kTable, msg); }
  void onFinalMessage(HWND) override { finished = true; }
  bool onEscape() override {
    events.push_back(L"escape");
    return true;
  }
  void onOk(TNotifyUI& msg) { events.push_back(L"ok:" + msg.type); }
  void onKill(TNotifyUI& msg) { events.push_back(L"kill:" + msg.sender->getText()); }
  void onAgree(TNotifyUI& msg) {
    events.push_back(std::wstring(L"agree:") +
                     (static_cast<COptionUI*>(msg.sender)->isSelected() ? L"on" : L"off"));
  }
  void onOff(TNotifyUI& msg) { events.push_back(L"off:" + msg.type); }
  void onOther(TNotifyUI&) { events.push_back(L"other"); }

  static const NotifyEntry<TestWindow> kTable[];
};

const NotifyEntry<TestWindow> TestWindow::kTable[] = {
    {L"click", L"okbtn", &TestWindow::onOk},
    {L"click", L"offbtn", &TestWindow::onOff},
    {L"killfocus", L"nameedit", &TestWindow::onKill},
    {L"selectchanged", L"agree", &TestWindow::onAgree},
    {L"", L"", nullptr},
    {L"click", L"otherbtn", &TestWindow::onOther},  // after the end: never reached
};

class WindowFixture : public ::testing::Test {
 protected:
  testing_support::TempDir skin;
  TestWindow window;

  void SetUp() override {
    ASSERT_TRUE(testing_support::writeFile(skin.file(L"test.xml"), kLayout));
    // A 30 x 30 shadow: transparent black fading in towards the middle.
    setResourcePath(skin.path());
    ASSERT_NE(window.create(nullptr, L"test", WS_POPUP, 0), nullptr);
    window.centerWindow();
    window.showWindow(true, true);
    pump();
  }
  void TearDown() override {
    if (window.getHWND()) DestroyWindow(window.getHWND());
    setResourcePath(L"");
  }
  static void pump() {
    testing_support::pumpUntil([] { return false; }, 50);
  }
  void click(const wchar_t* name) {
    CControlUI* control = window.findControl(name);
    ASSERT_NE(control, nullptr) << name;
    RECT pos = control->getPos();
    LPARAM at = MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
    SendMessageW(window.getHWND(), WM_MOUSEMOVE, 0, at);
    SendMessageW(window.getHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window.getHWND(), WM_LBUTTONUP, 0, at);
  }
  // A key pressed (`held`: still down, repeating) in the window or in `target`.
  bool key(WPARAM vk, HWND target = nullptr, bool held = false) {
    MSG msg{target ? target : window.getHWND(), WM_KEYDOWN, vk, held ? (1 << 30) : 0, 0, {0, 0}};
    return preTranslateMessage(&msg);
  }
  std::wstring focused() {
    CControlUI* focus = window.manager().getFocus();
    return focus ? focus->getName() : L"";
  }
};

TEST_F(WindowFixture, LayoutSizesTheWindowAndPlacesTheRoot) {
  RECT rect;
  GetWindowRect(window.getHWND(), &rect);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(rect.bottom - rect.top, 200);
  RECT root = window.findControl(L"root")->getPos();
  EXPECT_EQ(root.left, 10);
  EXPECT_EQ(root.bottom, 190);
  EXPECT_NE(GetWindowLongPtrW(window.getHWND(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_EQ(GetWindowLongPtrW(window.getHWND(), GWL_STYLE) & WS_CAPTION, 0);
}

TEST_F(WindowFixture, LayeredPictureIsOpaqueInsideAndRoundedAtTheCorners) {
  window.manager().render();
  const Surface& picture = window.manager().picture();
  ASSERT_EQ(picture.width(), 300);
  auto alpha = [&](int x, int y) { return picture.pixels()[y * picture.width() + x] >> 24; };
  EXPECT_EQ(alpha(150, 100), 255u);
  EXPECT_EQ(alpha(5, 5), 0u);  // the shadow image is missing: nothing around the content
  EXPECT_LT(alpha(10, 10), 128u);
  EXPECT_EQ(alpha(14, 10), 255u);
}

TEST_F(WindowFixture, DrawingOnlyWhatChangedGivesTheWholeDrawingsPicture) {
  window.manager().render();
  auto pixels = [&] {
    const Surface& picture = window.manager().picture();
    return std::vector<uint32_t>(picture.pixels(), picture.pixels() + picture.width() * picture.height());
  };
  // A new text in the rounded corner, and a button under the mouse: only
  // their places are drawn again.
  window.findControl(L"title")->setText(L"A longer title");
  CControlUI* ok = window.findControl(L"okbtn");
  RECT pos = ok->getPos();
  SendMessageW(window.getHWND(), WM_MOUSEMOVE, 0, MAKELPARAM((pos.left + pos.right) / 2, pos.top + 2));
  window.manager().render();
  std::vector<uint32_t> parts = pixels();
  window.manager().invalidate();
  window.manager().render();
  EXPECT_TRUE(parts == pixels());
}

TEST_F(WindowFixture, ClicksRouteByTypeAndNameThroughTheTable) {
  click(L"okbtn");
  click(L"offbtn");    // disabled: nothing
  click(L"otherbtn");  // its row lies after the table's end: nothing
  click(L"title");     // not a button: nothing
  EXPECT_EQ(window.events, std::vector<std::wstring>{L"ok:click"});
}

TEST_F(WindowFixture, OptionsToggleAndNotifySelectChanged) {
  click(L"agree");
  click(L"agree");
  EXPECT_EQ(window.events, (std::vector<std::wstring>{L"agree:on", L"agree:off"}));
  static_cast<COptionUI*>(window.findControl(L"agree"))->selected(true, false);
  EXPECT_EQ(window.events.size(), 2u);
}

TEST_F(WindowFixture, EnablingAndHidingDecideWhetherAButtonClicks) {
  // Both buttons have rows in the table: only their state decides.
  CControlUI* off = window.findControl(L"offbtn");
  CControlUI* ok = window.findControl(L"okbtn");
  off->setEnabled(true);
  click(L"offbtn");
  off->setEnabled(false);
  click(L"offbtn");
  EXPECT_EQ(window.events, std::vector<std::wstring>{L"off:click"});

  // Hidden, and clicked where it was before the row closes up.
  ok->setVisible(false);
  click(L"okbtn");
  window.findControl(L"root")->setVisible(false);  // a hidden parent hides its buttons too
  ok->setVisible(true);
  click(L"okbtn");
  EXPECT_EQ(window.events.size(), 1u);

  window.findControl(L"root")->setVisible(true);
  window.manager().render();
  click(L"okbtn");
  EXPECT_EQ(window.events.back(), L"ok:click");
}

TEST_F(WindowFixture, BaseClickHandlingMinimisesAndCloses) {
  click(L"minbtn");
  EXPECT_TRUE(IsIconic(window.getHWND()));
  ShowWindow(window.getHWND(), SW_RESTORE);
  click(L"closebtn");
  EXPECT_TRUE(testing_support::pumpUntil([&] { return window.finished; }, 3000));
  EXPECT_EQ(window.getHWND(), nullptr);
}

TEST_F(WindowFixture, EditTakesTypedTextAndNotifiesKillFocus) {
  click(L"nameedit");
  auto* edit = static_cast<CEditUI*>(window.findControl(L"nameedit"));
  HWND native = edit->nativeWindow();
  ASSERT_NE(native, nullptr);
  SetWindowTextW(native, L"typed");
  EXPECT_TRUE(key(VK_RETURN, native));  // Enter ends typing like leaving the box
  EXPECT_EQ(edit->nativeWindow(), nullptr);
  EXPECT_EQ(window.events, std::vector<std::wstring>{L"kill:typed"});

  click(L"nameedit");
  ASSERT_NE(edit->nativeWindow(), nullptr);
  click(L"title");  // clicking elsewhere leaves the box as well
  EXPECT_EQ(window.events.size(), 2u);
  EXPECT_EQ(edit->getText(), L"typed");
}

TEST_F(WindowFixture, KeyboardWalksTheTabOrderPressesTicksAndEscapes) {
  EXPECT_TRUE(key(VK_RETURN));  // no focus: the default button
  EXPECT_EQ(window.events, std::vector<std::wstring>{L"ok:click"});

  // The title bar's buttons come last ("taborder"), the rest in layout order.
  EXPECT_TRUE(key(VK_TAB));
  EXPECT_EQ(focused(), L"nameedit");
  HWND typing = static_cast<CEditUI*>(window.findControl(L"nameedit"))->nativeWindow();
  EXPECT_FALSE(key(VK_SPACE, typing));  // typed into the box
  // Alt+F4 while typing asks the window to close, as its close button does,
  // rather than closing the system edit box, which is a window of its own.
  MSG altF4{typing, WM_SYSKEYDOWN, VK_F4, 1 << 29, 0, {0, 0}};
  EXPECT_TRUE(preTranslateMessage(&altF4));
  pump();
  EXPECT_TRUE(IsWindow(typing));
  EXPECT_EQ(window.events.back(), L"escape");
  ASSERT_TRUE(key(VK_TAB, typing));
  EXPECT_EQ(focused(), L"agree");
  EXPECT_EQ(window.events.back(), L"kill:start");
  EXPECT_TRUE(key(VK_SPACE));
  EXPECT_TRUE(key(VK_SPACE, nullptr, true));  // held down: once only
  EXPECT_EQ(window.events.back(), L"agree:on");
  EXPECT_TRUE(key(VK_RETURN));  // on a check box: the default button, the box stays ticked
  EXPECT_EQ(window.events.back(), L"ok:click");
  EXPECT_TRUE(key(VK_RETURN, nullptr, true));
  EXPECT_EQ(window.events.size(), 5u);
  std::vector<std::wstring> visited;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(key(VK_TAB));  // skips the disabled button
    visited.push_back(focused());
  }
  EXPECT_EQ(visited, (std::vector<std::wstring>{L"okbtn", L"otherbtn", L"minbtn", L"closebtn"}));
  SHORT shift = VK_SHIFT;
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[shift] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(key(VK_TAB));
  keys[shift] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(focused(), L"minbtn");

  EXPECT_TRUE(key(VK_ESCAPE));
  EXPECT_EQ(window.events.back(), L"escape");
  EXPECT_EQ(window.events.size(), 6u);
  EXPECT_FALSE(key('A'));
  MSG other{window.getHWND(), WM_CHAR, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_FALSE(preTranslateMessage(&other));
}

}  // namespace
}  // namespace DuiLib

namespace DuiLib {
namespace {

// A window's controls are pressed with the mouse here, where a test needs no
// activated window.
void clickAt(LayoutWindow& window, const wchar_t* name) {
  RECT pos = window.findControl(name)->getPos();
  LPARAM at = MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
  SendMessageW(window.getHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(window.getHWND(), WM_LBUTTONUP, 0, at);
}

TEST(WindowFocusMark, KeyboardFocusIsMarkedInTheAccentUntilTheMouseIsUsed) {
  LayoutWindow window;
  ASSERT_TRUE(window.open(R"(<Window size="300,120" accentcolor="#FFFF0000">
      <VerticalLayout inset="20,20,20,20" bkcolor="#FF202020"><Label name="title" height="30"/>
      <HorizontalLayout childpadding="20"><Button name="okbtn"/><Button name="otherbtn"/></HorizontalLayout>
      </VerticalLayout></Window>)"));
  auto markShown = [&](const wchar_t* name) {
    window.manager().render();
    const Surface& picture = window.manager().picture();
    RECT pos = window.findControl(name)->getPos();
    // Two pixels above the button, half-way along.
    uint32_t pixel = picture.pixels()[(pos.top - 2) * picture.width() + (pos.left + pos.right) / 2];
    return ((pixel >> 16) & 0xFF) > 200 && ((pixel >> 8) & 0xFF) < 80;
  };
  window.manager().setFocus(window.findControl(L"okbtn"));
  EXPECT_FALSE(markShown(L"okbtn"));  // focused, but not by the keyboard
  ASSERT_TRUE(window.manager().moveFocus(false));
  ASSERT_EQ(window.manager().getFocus(), window.findControl(L"otherbtn"));
  EXPECT_TRUE(markShown(L"otherbtn"));
  EXPECT_FALSE(markShown(L"okbtn"));
  clickAt(window, L"title");
  EXPECT_FALSE(markShown(L"otherbtn"));
}

TEST(WindowCloseKeys, EscapeAndAltF4ClickTheCloseButtonWhileItIsShown) {
  LayoutWindow window;
  ASSERT_TRUE(window.open(R"(<Window size="200,100"><HorizontalLayout>
      <Button name="closebtn" width="30"/><Button name="other"/></HorizontalLayout></Window>)"));
  MSG escape{window.getHWND(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  EXPECT_TRUE(preTranslateMessage(&escape));
  SendMessageW(window.getHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(window.events, (std::vector<std::wstring>{L"click:closebtn", L"click:closebtn"}));
  // Without a close button Escape is not the window's; Close closes it.
  window.findControl(L"closebtn")->setVisible(false);
  EXPECT_FALSE(preTranslateMessage(&escape));
  SendMessageW(window.getHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(window.events.size(), 2u);
  EXPECT_FALSE(IsWindow(window.getHWND()));
}

}  // namespace
}  // namespace DuiLib
