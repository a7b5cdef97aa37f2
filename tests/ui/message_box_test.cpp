// The generic boxes and the main window's Yes/No box, as real windows over a
// real owner.
#include "ui/message_box.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "skin/language_table.h"
#include "tests/support/accessible_reader.h"
#include "tests/support/ui_testing.h"
#include "tests/ui/box_fixture.h"
#include "toolkit/container.h"
#include "toolkit/label.h"
#include "ui/msg_box_window.h"
#include "ui/msg_builders.h"
#include "ui/msg_registry.h"

namespace {

using testing_support::clickControl;
using testing_support::pumpFor;
using testing_support::windowsOfClass;

class BoxFixture : public ::testing::Test {
 protected:
  HWND owner = nullptr;
  std::vector<std::string> calls;

  void SetUp() override {
    testing_support::useStagedSkin(L"en_US");
    owner = box_testing::createOwnerWindow(600, 400);
    ASSERT_NE(owner, nullptr);
  }
  void TearDown() override {
    for (auto* box : windowsOfClass(L"MessageBox")) DestroyWindow(box->getHWND());
    for (auto* box : windowsOfClass(L"vlbox")) DestroyWindow(box->getHWND());
    DestroyWindow(owner);
    CMessageBox::setLeaveHooks({});
  }
  msg::ButtonSpec button(const char* name, bool primary) {
    return {std::wstring(name, name + strlen(name)), [this, name] { calls.push_back(name); }, primary};
  }
  DuiLib::WindowImplBase* onlyBox() {
    auto boxes = windowsOfClass(L"MessageBox");
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? nullptr : boxes.front();
  }
};

TEST_F(BoxFixture, IconChoosesTheLayoutAndNoIconWidensTheText) {
  struct Case {
    int iconKind;
    bool iconShown;
    int textWidth;
    int textHeight;
  } cases[] = {{0, true, 382, 76}, {3, true, 382, 76}, {7, false, 340, 80}};
  for (const Case& c : cases) {
    msg::twoButtonBox(owner, button("a", false), button("b", true), c.iconKind, L"Title", L"Text");
    DuiLib::WindowImplBase* box = onlyBox();
    ASSERT_NE(box, nullptr);
    DuiLib::CControlUI* icon = box->findControl(L"msgiconimage");
    DuiLib::CControlUI* text = box->findControl(L"descriptlabel");
    EXPECT_EQ(icon->isOwnVisible(), c.iconShown) << c.iconKind;
    if (c.iconShown) {
      EXPECT_EQ(icon->getBkImage(), msg::iconPath(c.iconKind));
    }
    EXPECT_EQ(text->getFixedWidth(), c.textWidth) << c.iconKind;
    EXPECT_EQ(text->getFixedHeight(), c.textHeight) << c.iconKind;
    EXPECT_EQ(box->findControl(L"titlelabel")->getText(), L"Title");
    EXPECT_EQ(text->getText(), L"Text");
    DestroyWindow(box->getHWND());
  }
  EXPECT_EQ(msg::iconPath(1), L"common/msg_noice48.png");
  EXPECT_EQ(msg::iconPath(3), L"common/msg_ok48.png");
  EXPECT_EQ(msg::iconPath(-1), L"");
}

TEST_F(BoxFixture, ButtonsLineUpInOrderAndRunTheirActionThenClose) {
  msg::twoButtonBox(owner, button("left", false), button("right", true), L"", L"Title", L"Pick one");
  DuiLib::WindowImplBase* box = onlyBox();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(IsWindowEnabled(owner));
  auto* row = static_cast<DuiLib::CContainerUI*>(box->findControl(L"bottombar"));
  ASSERT_EQ(row->getCount(), 4);
  auto* left = row->getItemAt(1);
  auto* right = row->getItemAt(2);
  EXPECT_EQ(left->getText(), L"left");
  EXPECT_EQ(right->getText(), L"right");
  EXPECT_NE(right->getInterface(L"Selection"), nullptr);
  EXPECT_EQ(box->findControl(L"closebtn")->getInterface(L"Selection"), nullptr);
  box->manager().render();
  EXPECT_LT(left->getPos().right, right->getPos().left);

  HWND handle = box->getHWND();
  row->getItemAt(2)->setName(L"right");
  ASSERT_TRUE(clickControl(box, L"right"));
  EXPECT_EQ(calls, std::vector<std::string>{"right"});
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindowVisible(handle));
  pumpFor(100);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_FALSE(msg::isBoxOpen(L"Pick one"));
}

TEST_F(BoxFixture, AnActionThatDestroysTheOwnerFindsTheBoxAlreadyClosing) {
  // Download failed, "quit download": the action ends the main window, which
  // takes its boxes with it.
  HWND box = nullptr;
  bool closeQueued = false;
  msg::ButtonSpec leave{L"leave",
                        [&] {
                          MSG queued;
                          closeQueued =
                              PeekMessageW(&queued, box, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
                          DestroyWindow(owner);
                        },
                        true};
  msg::oneButtonBox(owner, leave, 0, L"noice", L"owner goes");
  DuiLib::WindowImplBase* window = onlyBox();
  ASSERT_NE(window, nullptr);
  box = window->getHWND();
  static_cast<DuiLib::CContainerUI*>(window->findControl(L"bottombar"))
      ->getItemAt(1)
      ->setName(L"leave");
  ASSERT_TRUE(clickControl(window, L"leave"));
  EXPECT_TRUE(closeQueued);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_FALSE(IsWindow(box));
  pumpFor(100);
  EXPECT_FALSE(msg::isBoxOpen(L"owner goes"));
}

TEST_F(BoxFixture, ASecondRequestWithTheSameTextOpensNothing) {
  msg::twoButtonBox(owner, button("a", false), button("b", true), 0, L"noice", L"slow");
  msg::twoButtonBox(owner, button("c", false), button("d", true), 0, L"noice", L"slow");
  EXPECT_EQ(windowsOfClass(L"MessageBox").size(), 1u);
  EXPECT_TRUE(msg::isBoxOpen(L"slow"));
  msg::oneButtonBox(owner, button("e", true), 2, L"error", L"other text");
  EXPECT_EQ(windowsOfClass(L"MessageBox").size(), 2u);
  for (auto* box : windowsOfClass(L"MessageBox")) DestroyWindow(box->getHWND());
  EXPECT_FALSE(msg::isBoxOpen(L"slow"));
  msg::twoButtonBox(owner, button("a", false), button("b", true), 0, L"noice", L"slow");
  EXPECT_EQ(windowsOfClass(L"MessageBox").size(), 1u);
}

TEST_F(BoxFixture, CloseButtonRunsTheCloseActionOnlyWhereOneIsSet) {
  int closed = 0;
  msg::twoButtonBoxWithClose(owner, button("path_ok", true), button("path_not", false), L"", L"path_noice",
                             L"drive prompt", [&] { ++closed; });
  ASSERT_TRUE(clickControl(onlyBox(), L"closebtn"));
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(IsWindowEnabled(owner));
  pumpFor(100);
  EXPECT_TRUE(windowsOfClass(L"MessageBox").empty());

  msg::twoButtonBox(owner, button("path_ok", true), button("path_not", false), L"", L"path_noice", L"space prompt");
  ASSERT_TRUE(clickControl(onlyBox(), L"closebtn"));
  pumpFor(100);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(windowsOfClass(L"MessageBox").empty());
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(BoxFixture, OwnerStaysDisabledWhileAnActionOpensTheNextBox) {
  // "path_not" of the drive prompt may lead straight to the space prompt.
  msg::ButtonSpec chain{L"path_not",
                        [this] { msg::twoButtonBox(owner, button("ok", true), button("not", false), L"", L"t", L"next"); },
                        false};
  msg::twoButtonBoxWithClose(owner, button("path_ok", true), chain, L"", L"t", L"first", nullptr);
  DuiLib::WindowImplBase* first = onlyBox();
  auto* row = static_cast<DuiLib::CContainerUI*>(first->findControl(L"bottombar"));
  row->getItemAt(2)->setName(L"chain");
  ASSERT_TRUE(clickControl(first, L"chain"));
  pumpFor(100);
  auto boxes = windowsOfClass(L"MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(msg::isBoxOpen(L"next"));
  EXPECT_FALSE(IsWindowEnabled(owner));
  ASSERT_TRUE(clickControl(boxes.front(), L"closebtn"));
  pumpFor(100);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(BoxFixture, EscapeActsAsTheCloseButton) {
  int closed = 0;
  msg::twoButtonBoxWithClose(owner, button("a", true), button("b", false), L"", L"t", L"escape me", [&] { ++closed; });
  DuiLib::WindowImplBase* box = onlyBox();
  EXPECT_TRUE(box->translateKey(VK_ESCAPE, false));
  pumpFor(100);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(windowsOfClass(L"MessageBox").empty());
}

TEST_F(BoxFixture, UnsupportedSystemBoxClosesTheMainWindowWithCodeOne) {
  struct Closed {
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      if (message == WM_CLOSE) {
        SetPropW(window, L"closeCode", reinterpret_cast<HANDLE>(wParam + 100));
        return 0;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    }
  };
  SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Closed::proc));
  msg::showUnsupportedSystemBox(owner);
  DuiLib::WindowImplBase* box = onlyBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->findControl(L"titlelabel")->getText(), L"Error");
  EXPECT_EQ(box->findControl(L"msgiconimage")->getBkImage(), L"common/msg_noice48.png");
  EXPECT_TRUE(box->translateKey(VK_RETURN, false));  // Enter presses the one (primary) button
  pumpFor(100);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(GetPropW(owner, L"closeCode")), 101u);
  RemovePropW(owner, L"closeCode");
}

TEST_F(BoxFixture, UnsupportedSystemBoxWithoutMainWindowEndsTheRun) {
  msg::showUnsupportedSystemBox(nullptr);
  DuiLib::WindowImplBase* box = onlyBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->translateKey(VK_RETURN, false));
  bool quit = false;
  for (int i = 0; i < 50 && !quit; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
  EXPECT_TRUE(quit);
}

TEST(BoxTexts, WrittenLineBreakMarksBreakLines) {
  struct Case {
    const wchar_t* text;
    const wchar_t* shown;
  } cases[] = {
      {L"first\\r\\nsecond", L"first<n>second"},
      {L"a\\nb\\nc", L"a<n>b<n>c"},
      {L"no marks \\ here", L"no marks \\ here"},
  };
  for (const Case& c : cases) EXPECT_EQ(msg::withLineBreaks(c.text), c.shown) << c.text;
}

TEST_F(BoxFixture, ASecondYesNoBoxReplacesTheFirst) {
  CMessageBox::show(owner, CMessageBox::kLeaveInstallation, 0);
  CMessageBox* first = CMessageBox::openBox();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->findControl(L"descriptlabel")->getText(), L"Do you want to stop the installation?");
  EXPECT_EQ(static_cast<DuiLib::CButtonUI*>(first->findControl(L"btnRight"))->getNormalImage(),
            L"file='button_box_hot.png' source='0,0,100,32'");
  EXPECT_FALSE(IsWindowEnabled(owner));

  CMessageBox::show(owner, CMessageBox::kInstalling, 0);
  CMessageBox* second = CMessageBox::openBox();
  ASSERT_NE(second, first);
  pumpFor(100);
  EXPECT_EQ(windowsOfClass(L"vlbox").size(), 1u);  // the first one has gone
  EXPECT_EQ(CMessageBox::openBox(), second);
  EXPECT_FALSE(IsWindowEnabled(owner));  // left to the open box

  // The installing notice offers only its one button.
  EXPECT_FALSE(second->findControl(L"btnLeft")->isVisible());
  EXPECT_TRUE(second->findControl(L"btnSure")->isVisible());
  ASSERT_TRUE(clickControl(second, L"btnSure"));
  pumpFor(100);
  EXPECT_EQ(CMessageBox::openBox(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_TRUE(IsWindowVisible(owner));
}

TEST_F(BoxFixture, NoKeepsTheInstallationAndYesLeavesThroughTheHooks) {
  CMessageBox::setLeaveHooks({[this] { calls.push_back(IsWindowVisible(owner) ? "report(owner shown)" : "report"); },
                              [this] { calls.push_back(IsIconic(owner) ? "offer(owner minimised)" : "offer"); }});
  CMessageBox::show(owner, CMessageBox::kLeaveInstallation, 0);
  ASSERT_TRUE(clickControl(CMessageBox::openBox(), L"btnRight"));
  EXPECT_FALSE(pumpFor(100));
  EXPECT_EQ(CMessageBox::openBox(), nullptr);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(IsWindowEnabled(owner));

  CMessageBox::show(owner, CMessageBox::kLeaveInstallation, 0);
  ASSERT_TRUE(clickControl(CMessageBox::openBox(), L"btnLeft"));
  EXPECT_EQ(calls, (std::vector<std::string>{"report(owner shown)", "offer(owner minimised)"}));
  EXPECT_TRUE(pumpFor(100));  // the quit message
  EXPECT_EQ(CMessageBox::openBox(), nullptr);
  EXPECT_TRUE(IsIconic(owner));
}

TEST_F(BoxFixture, ScreenReadersReadABoxInItsLanguageAndEnterPressesItsMainButton) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  struct Case {
    const wchar_t* locale;
    const wchar_t* title;
    const wchar_t* yes;
    const wchar_t* no;
    const wchar_t* close;
    const wchar_t* press;  // the default action, in the language where the table has the word
    bool rightToLeft;
  } cases[] = {
      {L"en_US", L"Prompt", L"Yes", L"No", L"Close", L"Press", false},
      {L"zh_CN", L"\x63D0\x793A", L"\x662F", L"\x5426", L"\x5173\x95ED", L"\x6309\x4E0B", false},
      {L"ar_IL", L"\x062A\x0646\x0628\x064A\x0647", L"\x0646\x0639\x0645", L"\x0644\x0627",
       L"\x0625\x063A\x0644\x0627\x0642", L"\x0636\x063A\x0637", true},
  };
  for (const Case& c : cases) {
    testing_support::useStagedSkin(c.locale);
    calls.clear();
    // The download-failed box, as the main window builds it.
    msg::twoButtonBox(owner, {langText("Yes"), [this] { calls.push_back("yes"); }, true},
                      {langText("No"), [this] { calls.push_back("no"); }, false}, 0,
                      langText("noice"), langText("download_error_tip2"));
    DuiLib::WindowImplBase* box = onlyBox();
    ASSERT_NE(box, nullptr);
    auto items = testing_support::readAccessibleTree(box->getHWND());
    ASSERT_FALSE(items.empty()) << c.locale;
    EXPECT_EQ(items[0].role, ROLE_SYSTEM_DIALOG);
    EXPECT_EQ(items[0].name, c.title);
    auto* yes = testing_support::findAccessibleItem(items, c.yes);
    auto* no = testing_support::findAccessibleItem(items, c.no);
    auto* close = testing_support::findAccessibleItem(items, c.close);
    auto* text = testing_support::findAccessibleItem(items, langText("download_error_tip2"));
    ASSERT_TRUE(yes && no && close && text) << c.locale;
    EXPECT_EQ(yes->role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(yes->action, c.press);
    EXPECT_EQ(yes->state & STATE_SYSTEM_DEFAULT, STATE_SYSTEM_DEFAULT);
    EXPECT_EQ(no->state & STATE_SYSTEM_DEFAULT, 0);
    EXPECT_EQ(close->role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(text->role, ROLE_SYSTEM_ALERT);  // said as the box opens
    // Read in the language's own direction: the first button stands on its
    // reading side.
    EXPECT_EQ(yes->location.left > no->location.left, c.rightToLeft) << c.locale;

    EXPECT_TRUE(box->translateKey(VK_RETURN, false));
    EXPECT_EQ(calls, std::vector<std::string>{"yes"}) << c.locale;
    pumpFor(100);
    EXPECT_TRUE(windowsOfClass(L"MessageBox").empty());
  }
  testing_support::useStagedSkin(L"en_US");
  CoUninitialize();
}

}  // namespace
