// What assistive technology reads of a toolkit window, asked through the
// system's own entry (AccessibleObjectFromWindow) as a screen reader asks:
// which controls it sees, their roles, names, values, states and default
// actions, where they are, and what it hears when they change.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "skin/language_table.h"
#include "tests/support/accessible_child.h"
#include "tests/support/test_support.h"
#include "tests/toolkit/layout_window.h"
#include "toolkit/accessible.h"
#include "toolkit/container.h"
#include "toolkit/dpi.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"

namespace DuiLib {
namespace {

using testing_support::accessibleChild;

const char kLayout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="420,460">
  <VerticalLayout name="root" bkimage="bg.png">
    <Label name="title" text="@acc_title" height="20"/>
    <Label name="quiet" text="Quiet" mouse="false" height="20"/>
    <Label name="warning" text="Careful" accrole="alert" visible="false" height="20"/>
    <Label name="rich" text="&lt;b&gt;Bold&lt;/b&gt; and&lt;n&gt;plain" showhtml="true" height="20"/>
    <Label name="empty" height="20"/>
    <Control name="art" bkimage="art.png" height="20"/>
    <Control name="logo" bkimage="logo.png" accname="@acc_logo" height="20"/>
    <HorizontalLayout height="30">
      <Button name="save" text="@acc_save" default="true" width="60"/>
      <Button name="iconbtn" tooltip="@acc_tip" width="30"/>
      <Button name="closebtn" tooltip="@acc_missing" accname="@acc_close" width="30"/>
      <Button name="nameless" tooltip="@acc_missing" width="30"/>
      <Button name="off" text="Off" enabled="false" width="40"/>
      <Button name="gone" text="Gone" visible="false" width="40"/>
      <Button name="terms" text="&lt;u&gt;Terms&lt;/u&gt;" showhtml="true" accrole="link" width="60"/>
    </HorizontalLayout>
    <Option name="agree" accname="@acc_agree" selected="true" height="20"/>
    <Option name="small" text="Small" group="size" selected="true" height="20"/>
    <Option name="large" text="Large" group="size" height="20"/>
    <Edit name="folder" text="C:\Games" accname="@acc_folder" height="30"/>
    <Edit name="secret" text="hidden" password="true" tooltip="Password" height="30"/>
    <Progress name="bar" value="42" accname="@acc_bar" height="12"/>
    <Combo name="choice" selectedid="1" accname="Language" height="26">
      <Label text="English"/>
      <Label text="Arabic"/>
    </Combo>
    <Label name="decor" text="decorative" accrole="none" height="20"/>
    <Control/>
  </VerticalLayout>
</Window>)";

constexpr long kStates = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED |
                         STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_DEFAULT |
                         STATE_SYSTEM_READONLY | STATE_SYSTEM_PROTECTED | STATE_SYSTEM_LINKED;

std::wstring taken(BSTR text) {
  std::wstring copy = text ? text : L"";
  SysFreeString(text);
  return copy;
}

void pump() {
  testing_support::pumpUntil([] { return false; }, 50);
}

// What a client reads of one child.
struct Read {
  long role = 0;
  std::wstring name;
  std::wstring value;
  long state = 0;
  std::wstring action;
};

// A box as its window class says: a dialog to assistive technology.
class DialogWindow : public LayoutWindow {
 public:
  bool isDialog() const override { return true; }
};

// The events a client hears, as "<event> <child id>".
std::vector<std::string>* g_heard = nullptr;

void CALLBACK hear(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (g_heard && (object == OBJID_CLIENT || object == OBJID_WINDOW))
    g_heard->push_back(std::to_string(event) + " " + std::to_string(child));
}

class AccessibleTree : public ::testing::Test {
 protected:
  std::unique_ptr<LayoutWindow> window;
  IAccessible* object = nullptr;

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    setLanguage(L"en_US", L"en_US");
    for (auto [key, text] : {std::pair{L"acc_title", L"Files"},
                             {L"acc_logo", L"Vorlane logo"},
                             {L"acc_save", L"Save"},
                             {L"acc_tip", L"Minimize"},
                             {L"acc_close", L"Close"},
                             {L"acc_agree", L"I agree"},
                             {L"acc_folder", L"Folder"},
                             {L"acc_bar", L"Download"}}) {
      setLangText(key, text);
    }
    open();
  }
  void TearDown() override {
    if (object) object->Release();
    window.reset();
    CoUninitialize();
  }
  void open() {
    window = std::make_unique<LayoutWindow>();
    ASSERT_TRUE(window->open(kLayout));
    ASSERT_EQ(AccessibleObjectFromWindow(window->getHWND(), OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&object)),
              S_OK);
  }
  long id(const wchar_t* name) const {
    CControlUI* control = window->findControl(name);
    EXPECT_NE(control, nullptr) << name;
    return control ? control->accessibleId() : -1;
  }
  Read read(long child) const {
    Read seen;
    VARIANT about = accessibleChild(child);
    VARIANT role;
    if (object->get_accRole(about, &role) == S_OK) seen.role = role.lVal;
    BSTR text = nullptr;
    object->get_accName(about, &text);
    seen.name = taken(text);
    text = nullptr;
    object->get_accValue(about, &text);
    seen.value = taken(text);
    VARIANT state;
    if (object->get_accState(about, &state) == S_OK) seen.state = state.lVal & kStates;
    text = nullptr;
    object->get_accDefaultAction(about, &text);
    seen.action = taken(text);
    return seen;
  }
  std::vector<long> children() const {
    LONG count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> listed(static_cast<size_t>(count));
    LONG got = 0;
    EXPECT_EQ(AccessibleChildren(object, 0, count, listed.data(), &got), S_OK);
    std::vector<long> ids;
    for (LONG i = 0; i < got; ++i) ids.push_back(listed[i].vt == VT_I4 ? listed[i].lVal : -1);
    return ids;
  }
  RECT location(long child) const {
    LONG left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(object->accLocation(&left, &top, &width, &height, accessibleChild(child)), S_OK);
    return {left, top, left + width, top + height};
  }
};

TEST_F(AccessibleTree, EachControlKindReadsWithItsRoleNameValueStateAndAction) {
  struct Case {
    const wchar_t* control;
    long role;
    const wchar_t* name;
    const wchar_t* value;
    long state;
    const wchar_t* action;
  } cases[] = {
      {L"title", ROLE_SYSTEM_STATICTEXT, L"Files", L"", STATE_SYSTEM_READONLY, L""},
      {L"warning", ROLE_SYSTEM_ALERT, L"Careful", L"",
       STATE_SYSTEM_READONLY | STATE_SYSTEM_INVISIBLE, L""},
      {L"rich", ROLE_SYSTEM_STATICTEXT, L"Bold and plain", L"", STATE_SYSTEM_READONLY, L""},
      {L"logo", ROLE_SYSTEM_GRAPHIC, L"Vorlane logo", L"", 0, L""},
      {L"save", ROLE_SYSTEM_PUSHBUTTON, L"Save", L"", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_DEFAULT,
       L"Press"},
      {L"iconbtn", ROLE_SYSTEM_PUSHBUTTON, L"Minimize", L"", STATE_SYSTEM_FOCUSABLE, L"Press"},
      // A tooltip key the table lacks names nothing: the layout's name follows.
      {L"closebtn", ROLE_SYSTEM_PUSHBUTTON, L"Close", L"", STATE_SYSTEM_FOCUSABLE, L"Press"},
      {L"nameless", ROLE_SYSTEM_PUSHBUTTON, L"", L"", STATE_SYSTEM_FOCUSABLE, L"Press"},
      {L"off", ROLE_SYSTEM_PUSHBUTTON, L"Off", L"", STATE_SYSTEM_UNAVAILABLE, L"Press"},
      {L"gone", ROLE_SYSTEM_PUSHBUTTON, L"Gone", L"",
       STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_INVISIBLE, L"Press"},
      {L"terms", ROLE_SYSTEM_LINK, L"Terms", L"", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED,
       L"Jump"},
      {L"agree", ROLE_SYSTEM_CHECKBUTTON, L"I agree", L"",
       STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, L"Uncheck"},
      {L"small", ROLE_SYSTEM_RADIOBUTTON, L"Small", L"",
       STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, L"Check"},
      {L"large", ROLE_SYSTEM_RADIOBUTTON, L"Large", L"", STATE_SYSTEM_FOCUSABLE, L"Check"},
      // The typed text is the value, never the name.
      {L"folder", ROLE_SYSTEM_TEXT, L"Folder", L"C:\\Games", STATE_SYSTEM_FOCUSABLE, L""},
      {L"secret", ROLE_SYSTEM_TEXT, L"Password", L"",
       STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_PROTECTED, L""},
      {L"bar", ROLE_SYSTEM_PROGRESSBAR, L"Download", L"42%", 0, L""},
      {L"choice", ROLE_SYSTEM_COMBOBOX, L"Language", L"Arabic", STATE_SYSTEM_FOCUSABLE, L""},
  };
  for (const Case& c : cases) {
    Read seen = read(id(c.control));
    EXPECT_EQ(seen.role, c.role) << c.control;
    EXPECT_EQ(seen.name, c.name) << c.control;
    EXPECT_EQ(seen.value, c.value) << c.control;
    EXPECT_EQ(seen.state, c.state) << c.control;
    EXPECT_EQ(seen.action, c.action) << c.control;
  }
  // The children are the shown controls in layout order; layouts, nameless
  // texts and pictures, the combo box's items and what the layout leaves out
  // are not among them.
  std::vector<long> expected;
  for (const wchar_t* name :
       {L"title", L"quiet", L"rich", L"logo", L"save", L"iconbtn", L"closebtn", L"nameless", L"off",
        L"terms", L"agree", L"small", L"large", L"folder", L"secret", L"bar", L"choice"}) {
    expected.push_back(id(name));
  }
  EXPECT_EQ(children(), expected);
  // The window itself: a client area named by its title.
  SetWindowTextW(window->getHWND(), L"Installer");
  Read self = read(CHILDID_SELF);
  EXPECT_EQ(self.role, ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(self.name, L"Installer");
}

TEST_F(AccessibleTree, DefaultActionClicksFromTheWindowsOwnLoopWhereAClickCould) {
  EXPECT_EQ(object->accDoDefaultAction(accessibleChild(id(L"agree"))), S_OK);
  EXPECT_EQ(read(id(L"agree")).state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);  // not yet
  pump();
  EXPECT_EQ(window->events, (std::vector<std::wstring>{L"click:agree", L"selectchanged:agree"}));
  EXPECT_EQ(read(id(L"agree")).action, L"Check");

  EXPECT_EQ(object->accDoDefaultAction(accessibleChild(id(L"off"))), E_FAIL);
  EXPECT_EQ(object->accDoDefaultAction(accessibleChild(id(L"title"))), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(object->accDoDefaultAction(accessibleChild(id(L"save"))), S_OK);
  EnableWindow(window->getHWND(), FALSE);  // a box came over the window before the click ran
  pump();
  EXPECT_EQ(object->accDoDefaultAction(accessibleChild(id(L"save"))), E_FAIL);
  EXPECT_EQ(window->events.size(), 2u);
}

TEST_F(AccessibleTree, FocusHitTestAndNavigationNameTheControls) {
  SetForegroundWindow(window->getHWND());
  SetFocus(window->getHWND());
  VARIANT focus;
  ASSERT_EQ(object->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.lVal, CHILDID_SELF);
  EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS, accessibleChild(id(L"save"))), S_OK);
  EXPECT_EQ(window->manager().getFocus(), window->findControl(L"save"));
  ASSERT_EQ(object->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.lVal, id(L"save"));
  EXPECT_EQ(read(id(L"save")).state & STATE_SYSTEM_FOCUSED, STATE_SYSTEM_FOCUSED);
  EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS, accessibleChild(id(L"off"))), E_FAIL);

  RECT save = location(id(L"save"));
  VARIANT hit;
  ASSERT_EQ(object->accHitTest((save.left + save.right) / 2, (save.top + save.bottom) / 2, &hit),
            S_OK);
  EXPECT_EQ(hit.lVal, id(L"save"));
  // A text that lets the mouse through is still found where it is drawn.
  RECT quiet = location(id(L"quiet"));
  ASSERT_EQ(
      object->accHitTest((quiet.left + quiet.right) / 2, (quiet.top + quiet.bottom) / 2, &hit),
      S_OK);
  EXPECT_EQ(hit.lVal, id(L"quiet"));
  EXPECT_EQ(object->accHitTest(-5000, -5000, &hit), S_FALSE);
  EXPECT_EQ(hit.vt, VT_EMPTY);

  VARIANT reached;
  ASSERT_EQ(object->accNavigate(NAVDIR_FIRSTCHILD, accessibleChild(CHILDID_SELF), &reached), S_OK);
  EXPECT_EQ(reached.lVal, id(L"title"));
  ASSERT_EQ(object->accNavigate(NAVDIR_NEXT, accessibleChild(id(L"save")), &reached), S_OK);
  EXPECT_EQ(reached.lVal, id(L"iconbtn"));
  EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, accessibleChild(id(L"choice")), &reached), S_FALSE);
}

TEST_F(AccessibleTree, LocationsAreScreenPixelsAtEveryScale) {
  RECT frame;
  GetWindowRect(window->getHWND(), &frame);
  RECT self = location(CHILDID_SELF);
  EXPECT_TRUE(EqualRect(&self, &frame));
  RECT pos = window->findControl(L"save")->getPos();
  RECT save = location(id(L"save"));
  EXPECT_EQ(save.left, frame.left + pos.left);
  EXPECT_EQ(save.bottom, frame.top + pos.bottom);

  object->Release();
  object = nullptr;
  setDpiPercent(150);
  open();
  setDpiPercent(0);
  RECT large = location(id(L"save"));
  EXPECT_EQ(large.right - large.left, 90);  // 60 layout units at 150 %
  EXPECT_EQ(large.bottom - large.top, 45);
}

TEST_F(AccessibleTree, ChangesAreHeard) {
  std::vector<std::string> heard;
  g_heard = &heard;
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &hear, GetCurrentProcessId(),
                                       0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  SetForegroundWindow(window->getHWND());
  SetFocus(window->getHWND());
  pump();
  heard.clear();
  auto expectHeard = [&](DWORD event, long child, const char* what) {
    pump();
    std::string wanted = std::to_string(event) + " " + std::to_string(child);
    EXPECT_NE(std::find(heard.begin(), heard.end(), wanted), heard.end()) << what;
    heard.clear();
  };
  window->manager().moveFocus(false);
  expectHeard(EVENT_OBJECT_FOCUS, id(L"save"), "focus");
  static_cast<CProgressUI*>(window->findControl(L"bar"))->setValue(43);
  expectHeard(EVENT_OBJECT_VALUECHANGE, id(L"bar"), "progress");
  static_cast<COptionUI*>(window->findControl(L"agree"))->selected(false);
  expectHeard(EVENT_OBJECT_STATECHANGE, id(L"agree"), "check box");
  window->findControl(L"off")->setEnabled(true);
  expectHeard(EVENT_OBJECT_STATECHANGE, id(L"off"), "enabled");
  window->findControl(L"title")->setText(L"Other files");
  expectHeard(EVENT_OBJECT_NAMECHANGE, id(L"title"), "name");
  window->findControl(L"logo")->setVisible(false);  // as a page switch hides and shows controls
  window->manager().render();
  expectHeard(EVENT_OBJECT_REORDER, CHILDID_SELF, "children");
  // An alert is said as it comes up, and again when it says something else.
  window->findControl(L"warning")->setVisible(true);
  window->manager().render();
  expectHeard(EVENT_SYSTEM_ALERT, id(L"warning"), "an alert shows");
  window->findControl(L"warning")->setText(L"More care");
  window->manager().render();
  expectHeard(EVENT_SYSTEM_ALERT, id(L"warning"), "an alert says more");
  DialogWindow box;
  ASSERT_TRUE(box.open(kLayout));
  expectHeard(EVENT_SYSTEM_DIALOGSTART, CHILDID_SELF, "a box opens");
  // Boxes hide before they go. (Wine delivers nothing of a window that has
  // gone by the time the event would arrive.)
  box.showWindow(false);
  expectHeard(EVENT_SYSTEM_DIALOGEND, CHILDID_SELF, "a box closes");
  UnhookWinEvent(hook);
  g_heard = nullptr;
}

// A page that comes up takes the focus that was on the page that went (or
// nowhere) onto its "pagefocus" control; a focused control hidden where no
// page has one leaves the focus nowhere, as before.
TEST(AccessiblePages, ThePageThatComesUpTakesTheFocusOntoItsNamedControl) {
  const char layout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="300,200">
  <VerticalLayout>
    <TabLayout name="pages">
      <VerticalLayout><Button name="go" text="Go" height="30"/></VerticalLayout>
      <VerticalLayout><Label name="busy" text="Working" pagefocus="true" height="30"/></VerticalLayout>
      <VerticalLayout><Button name="again" text="Again" height="30"/></VerticalLayout>
    </TabLayout>
    <Button name="stay" text="Stay" height="30"/>
  </VerticalLayout>
</Window>)";
  LayoutWindow window;
  ASSERT_TRUE(window.open(layout));
  CPaintManagerUI& manager = window.manager();
  auto* pages = window.control<CTabLayoutUI>(L"pages");
  struct Case {
    const wchar_t* focusedBefore;  // null: nothing
    int page;
    const wchar_t* focusedAfter;
  } cases[] = {{L"go", 1, L"busy"},     // from the page that went
               {nullptr, 2, nullptr},   // a page without one: nothing to take
               {nullptr, 1, L"busy"},   // from nowhere
               {L"stay", 0, L"stay"}};  // the focus was not on the page: it stays
  for (const Case& c : cases) {
    manager.setFocus(c.focusedBefore ? window.findControl(c.focusedBefore) : nullptr);
    pages->selectItem(c.page);
    EXPECT_EQ(manager.getFocus(), c.focusedAfter ? window.findControl(c.focusedAfter) : nullptr)
        << c.page;
  }
  // Its control reads as one that can hold the focus, though Tab passes it by.
  EXPECT_EQ(accessibleState(*window.findControl(L"busy")) & STATE_SYSTEM_FOCUSABLE,
            STATE_SYSTEM_FOCUSABLE);
}

TEST_F(AccessibleTree, AClientThatOutlivesTheWindowGetsErrorsOnly) {
  long save = id(L"save");
  window.reset();
  LONG count = 0;
  EXPECT_EQ(object->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(object->get_accName(accessibleChild(save), &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(object->accDoDefaultAction(accessibleChild(save)), CO_E_OBJNOTCONNECTED);
}

}  // namespace
}  // namespace DuiLib
