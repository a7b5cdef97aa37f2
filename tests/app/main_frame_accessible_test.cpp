// The main window and the offer window as a screen reader in another process
// reads, drives and hears them: the start page's controls, the licence
// unticked and ticked again through their default action, the offer window's
// tree in two languages and its keys, where the focus goes after Install, the
// folder field's name and the errors said as they appear, the progress bar
// saying each stage, and the slow-download box's buttons.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "skin/language_table.h"
#include "tests/app/main_frame_fixture.h"
#include "tests/support/accessible_reader.h"
#include "toolkit/edit.h"
#include "utility/text.h"

using testing_support::AccessibleItem;
using testing_support::AccessibleListener;
using testing_support::clickControl;
using testing_support::findAccessibleItem;
using testing_support::HeardEvents;
using testing_support::heardOf;
using testing_support::pumpUntil;
using testing_support::readAccessibleTree;

namespace {

// Notes which control a window's manager calls focused each time the window
// takes the system's keyboard focus, at that very moment.
class FocusWatch {
 public:
  explicit FocusWatch(DuiLib::WindowImplBase* window) {
    watched_ = window;
    seen_.clear();
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &FocusWatch::observe, nullptr, GetCurrentThreadId());
  }
  ~FocusWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    watched_ = nullptr;
  }
  FocusWatch(const FocusWatch&) = delete;
  FocusWatch& operator=(const FocusWatch&) = delete;
  const std::vector<DuiLib::CControlUI*>& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK observe(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && watched_ && sent->hwnd == watched_->getHWND() &&
        sent->message == WM_SETFOCUS)
      seen_.push_back(watched_->manager().getFocus());
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline DuiLib::WindowImplBase* watched_ = nullptr;
  static inline std::vector<DuiLib::CControlUI*> seen_;
  HHOOK hook_ = nullptr;
};

constexpr const wchar_t* kLicence = L"Read and agree to Vorlane";
constexpr const wchar_t* kMainClass = L"vlmainframe";
constexpr const wchar_t* kOfferClass = L"Installer Main Window";
// The Arabic texts the tests look for, as the shipped table has them.
constexpr const wchar_t* kArabicPress = L"\x0636\x063A\x0637";  // "action_press"

class MainFrameAccessible : public main_frame_testing::MainFrameTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    MainFrameTest::SetUp();
  }
  void TearDown() override {
    MainFrameTest::TearDown();
    setShift(false);
    CoUninitialize();
  }
  // The state bits that tell a control's kind of life.
  static long state(const AccessibleItem& item) {
    return item.state & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE |
                         STATE_SYSTEM_DEFAULT | STATE_SYSTEM_LINKED);
  }
  // Opens the window again with the texts of `locale` and the site language `site`.
  void reopenIn(const wchar_t* locale, const wchar_t* site) {
    DestroyWindow(window);
    testing_support::pumpFor(50);
    testing_support::useStagedSkin(locale);
    world.config().language = site;
    openFrame();
  }
  // The offer displayed over the window, with its buttons; null when it did not come.
  HWND showOffer() {
    offerLibrary.answer(L"");
    if (!pumpUntil([&] { return offer->isReady(); }, 5000)) return nullptr;
    frame->showOfferWindow();
    bool displayed = pumpUntil(
        [&] { return offer->acceptWindow() && IsWindowVisible(offer->acceptWindow()); }, 5000);
    return displayed ? offer->hostWindow() : nullptr;
  }
  static void setShift(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  // A key pressed on `target` (a plain window: its own procedure takes it).
  static void press(HWND target, WPARAM key, bool shift = false) {
    setShift(shift);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    testing_support::pumpFor(30);
    setShift(false);
  }
  // Tab through the main window until `name` has the focus.
  bool tabTo(const wchar_t* name) {
    for (int i = 0; i < 20 && frame->manager().getFocus() != control(name); ++i)
      frame->translateKey(VK_TAB, false);
    return frame->manager().getFocus() == control(name);
  }
  // The focus events the listener heard on windows of `className`.
  static HeardEvents focusOn(const HeardEvents& heard, const wchar_t* className) {
    HeardEvents found;
    for (const auto& event : heardOf(heard, L"focus")) {
      if (event.windowClass == className) found.push_back(event);
    }
    return found;
  }
  static const testing_support::HeardEvent* findHeard(const HeardEvents& heard,
                                                      const std::wstring& name) {
    for (const auto& event : heard) {
      if (event.name == name) return &event;
    }
    return nullptr;
  }
  static std::vector<std::wstring> names(const HeardEvents& heard) {
    std::vector<std::wstring> said;
    for (const auto& event : heard) said.push_back(event.name);
    return said;
  }
  // Shows what a reader finds, for people reading the test's output.
  static void print(const char* title, const std::wstring& lines) {
    std::printf("%s\n%s", title, utility::wideToUtf8(lines).c_str());
    std::fflush(stdout);
  }
};

TEST_F(MainFrameAccessible, AScreenReaderWalksTheStartPageTicksTheLicenceAndInstalls) {
  std::vector<AccessibleItem> items = readAccessibleTree(window);
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0].role, ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(items[0].name, L"Vorlane Installer");
  struct Expected {
    const wchar_t* name;
    long role;
    long state;
    const wchar_t* action;
  } expected[] = {
      {kLicence, ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED,
       L"Uncheck"},
      {L"Licensing Protocol", ROLE_SYSTEM_LINK, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED,
       L"Jump"},
      {L"Setup path", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
      {L"Install", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_DEFAULT, L"Press"},
      {L"Close", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
  };
  for (const Expected& e : expected) {
    const AccessibleItem* item = findAccessibleItem(items, e.name, e.role);
    ASSERT_NE(item, nullptr) << testing::PrintToString(e.name) << " " << e.role;
    EXPECT_EQ(state(*item), e.state) << testing::PrintToString(e.name);
    EXPECT_EQ(item->action, e.action) << testing::PrintToString(e.name);
  }
  // The licence's sentence is read once: the check box says it.
  int licence = 0;
  for (const AccessibleItem& item : items) licence += item.name == kLicence;
  EXPECT_EQ(licence, 1);
  // The folder panel is closed and the progress page not shown: neither is read.
  EXPECT_EQ(findAccessibleItem(items, L"Please select file path"), nullptr);
  EXPECT_EQ(findAccessibleItem(items, L"Downloading"), nullptr);

  // Unticking the licence through its default action disables Install;
  // ticking it again enables it.
  for (bool ticked : {false, true}) {
    ASSERT_EQ(testing_support::doAccessibleAction(window, kLicence), S_OK);
    items = readAccessibleTree(window);
    const AccessibleItem* box = findAccessibleItem(items, kLicence, ROLE_SYSTEM_CHECKBUTTON);
    const AccessibleItem* install = findAccessibleItem(items, L"Install");
    ASSERT_TRUE(box && install);
    EXPECT_EQ((box->state & STATE_SYSTEM_CHECKED) != 0, ticked);
    EXPECT_EQ(box->action, ticked ? L"Uncheck" : L"Check");
    EXPECT_EQ((install->state & STATE_SYSTEM_UNAVAILABLE) == 0, ticked);
  }
}

// The offer window in English and Arabic: a dialog named by the offer's
// title, its buttons named and pressed in the current language, the terms link
// and the close button in the keyboard's order. Enter presses only what has
// the focus; Escape asks whether to leave, as the close button does.
TEST_F(MainFrameAccessible, TheOfferWindowReadsInTheUsersLanguageAndWorksFromTheKeyboard) {
  struct Case {
    const wchar_t* locale;
    const wchar_t* site;
    const char* title;
  } cases[] = {{L"en_US", L"en", "The offer window as a reader finds it (English):"},
               {L"ar_IL", L"ar", "The offer window as a reader finds it (Arabic):"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::wideToUtf8(c.locale));
    reopenIn(c.locale, c.site);
    const std::wstring title = langText("additional_software");
    const std::wstring accept = langText("Accept");
    const std::wstring reject = langText("Reject");
    const std::wstring close = langText("download_close");
    const std::wstring terms = langText("ironsource_url");
    const std::wstring pressWord = langText("action_press");
    AccessibleListener listener;
    ASSERT_TRUE(listener.start());
    HWND host = showOffer();
    ASSERT_NE(host, nullptr);

    std::vector<AccessibleItem> items = readAccessibleTree(host);
    print(c.title, testing_support::printAccessibleTree(items));
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].role, ROLE_SYSTEM_DIALOG);
    EXPECT_EQ(items[0].name, title);
    struct Child {
      long role;
      std::wstring name;
      std::wstring action;
    } children[] = {{ROLE_SYSTEM_STATICTEXT, title, L""},
                    {ROLE_SYSTEM_CLIENT, L"", L""},  // the offer area, with the partner's content
                    {ROLE_SYSTEM_PUSHBUTTON, accept, pressWord},
                    {ROLE_SYSTEM_PUSHBUTTON, reject, pressWord},
                    {ROLE_SYSTEM_LINK, terms, langText("action_jump")},
                    {ROLE_SYSTEM_PUSHBUTTON, close, pressWord}};
    for (size_t i = 0; i < 6; ++i) {
      EXPECT_EQ(items[i + 1].role, children[i].role) << i;
      EXPECT_EQ(items[i + 1].name, children[i].name) << i;
      EXPECT_EQ(items[i + 1].action, children[i].action) << i;
    }
    if (std::wstring(c.site) == L"ar") {
      EXPECT_EQ(pressWord, kArabicPress);
    }
    // Opening it is heard as a dialog named by its title.
    HeardEvents opened = listener.heardUntil(
        [](const HeardEvents& h) { return !heardOf(h, L"dialogstart").empty(); }, 10000);
    ASSERT_FALSE(heardOf(opened, L"dialogstart").empty());
    EXPECT_EQ(heardOf(opened, L"dialogstart").front().name, title);

    // Enter with nothing focused presses nothing: no accepting by default.
    listener.clear();
    press(host, VK_RETURN);
    EXPECT_TRUE(offerLibrary.arguments(5).empty());
    EXPECT_NE(offer->hostWindow(), nullptr);
    // Tab goes Accept, Reject, the terms link, Close and round again;
    // Shift+Tab back. The link's focus mark shows on the main window.
    std::vector<std::wstring> heardNames;
    for (int step = 0; step < 5; ++step) {
      press(host, VK_TAB);
      if (step == 2) {
        EXPECT_EQ(frame->manager().getFocus(), control(L"ironsourceBtn"));
        EXPECT_TRUE(frame->manager().showsFocusCues());
      }
    }
    press(host, VK_TAB, true);
    HeardEvents heard = listener.heardUntil(
        [](const HeardEvents& h) { return focusOn(h, kOfferClass).size() >= 6; }, 10000);
    EXPECT_EQ(names(focusOn(heard, kOfferClass)),
              (std::vector<std::wstring>{accept, reject, terms, close, accept, close}));
    EXPECT_NE(frame->manager().getFocus(), control(L"ironsourceBtn"));

    if (std::wstring(c.site) == L"en") {
      // Back to Reject and Enter: the offer is declined and the progress page
      // comes up with the focus on its bar.
      press(host, VK_TAB, true);
      press(host, VK_TAB, true);
      listener.clear();
      press(host, VK_RETURN);
      EXPECT_EQ(offerLibrary.arguments(6).size(), 1u);
      EXPECT_EQ(offer->hostWindow(), nullptr);
      EXPECT_EQ(page(), CAppMainFrame::kProgressPage);
      HeardEvents after = listener.heardUntil(
          [](const HeardEvents& h) { return !focusOn(h, kMainClass).empty(); }, 10000);
      ASSERT_FALSE(focusOn(after, kMainClass).empty());
      EXPECT_EQ(focusOn(after, kMainClass).back().role, ROLE_SYSTEM_PROGRESSBAR);
      EXPECT_EQ(focusOn(after, kMainClass).back().name, L"Downloading");
    } else {
      // Escape asks whether to leave, as the close button does, and says so.
      press(host, VK_ESCAPE);
      auto boxes = testing_support::windowsOfClass(L"vlbox");
      ASSERT_EQ(boxes.size(), 1u);
      auto events = analytics(4);  // after the English offer's two
      ASSERT_GE(events.size(), 4u);
      EXPECT_EQ(events.back(), "ad_iron_close:100");
      // Staying: once the window under the offer is active again, the
      // keyboard goes back to the offer. (Windows activates the owner of a
      // box that closes; Wine without a window manager leaves no window
      // active, so the test does what Windows does.)
      ASSERT_TRUE(clickControl(boxes.front(), L"btnRight"));
      ASSERT_TRUE(
          pumpUntil([] { return testing_support::windowsOfClass(L"vlbox").empty(); }, 5000));
      SetActiveWindow(window);
      EXPECT_TRUE(pumpUntil([&] { return GetActiveWindow() == host; }, 5000));
    }
  }
}

// While the offer shows, the main window's bottom row stays the main window's:
// a reader pointing there finds the "Offer provided by" label.
TEST_F(MainFrameAccessible, PointingAtTheOfferRowFindsItsLabel) {
  ASSERT_NE(showOffer(), nullptr);
  std::vector<AccessibleItem> items = readAccessibleTree(window);
  const std::wstring offeredBy = langText("offer_by");
  const AccessibleItem* label = findAccessibleItem(items, offeredBy);
  ASSERT_NE(label, nullptr);
  POINT middle{(label->location.left + label->location.right) / 2,
               (label->location.top + label->location.bottom) / 2};
  AccessibleItem found = testing_support::accessibleItemAt(middle);
  EXPECT_EQ(found.name, offeredBy);
  EXPECT_EQ(found.role, ROLE_SYSTEM_STATICTEXT);
}

// Install pressed from the keyboard with no offer to show: the offer window
// never takes the keyboard, the focus lands on the pages' named objects (never
// the bare window), and the bar says its stage and the stage's percentage.
TEST_F(MainFrameAccessible, InstallFromTheKeyboardIsHeardStageByStage) {
  ASSERT_TRUE(pumpUntil([&] { return offer->isReady(); }, 5000));
  model_testing::scriptHosts(
      {model_testing::serveFile(standins::package(L"signed"), "\"rate\":3000000")}, {});
  world.model().m_url =
      testing_support::testServerUrl("PRIMARY") + L"/download/package/Vorlane9.0.exe";
  world.model().m_spareUrl =
      testing_support::testServerUrl("SPARE") + L"/download/package/Vorlane9.0.exe";
  ASSERT_TRUE(tabTo(L"installnowbtn"));
  AccessibleListener listener;
  ASSERT_TRUE(listener.start());
  ASSERT_TRUE(frame->translateKey(VK_RETURN, false));
  bool offerTookKeyboard = false;
  HeardEvents heard = listener.heardUntil(
      [&](const HeardEvents&) {
        HWND host = offer->hostWindow();
        offerTookKeyboard = offerTookKeyboard || (host && GetActiveWindow() == host);
        return utility::ufile::exists(world.model().m_installDir + L"\\vdplayer_args.txt");
      },
      90000);
  heard = listener.heardWithin(300);  // what was still on its way
  print("What a reader heard from Install on:", testing_support::printHeard(heard));

  EXPECT_FALSE(offerTookKeyboard);
  EXPECT_TRUE(focusOn(heard, kOfferClass).empty());
  HeardEvents focus = focusOn(heard, kMainClass);
  ASSERT_GE(focus.size(), 2u);
  for (const auto& event : focus) {
    EXPECT_NE(event.child, CHILDID_SELF) << "the bare window";
    EXPECT_FALSE(event.name.empty());
  }
  EXPECT_EQ(focus.front().name, langText("additional_software"));  // the offer-loading page
  EXPECT_EQ(focus.back().role, ROLE_SYSTEM_PROGRESSBAR);

  // The bar: "Downloading" with the download's percentage (which the drawn
  // bar, filled to 63 by the download, never reaches), then "Installing"
  // from its own start to 100 %.
  std::vector<std::wstring> downloading, installing;
  for (const auto& event : heardOf(heard, L"value")) {
    if (event.role != ROLE_SYSTEM_PROGRESSBAR) continue;
    if (event.name == L"Downloading") downloading.push_back(event.value);
    if (event.name == L"Installing, please wait") installing.push_back(event.value);
  }
  ASSERT_FALSE(downloading.empty());
  int most = 0;
  for (const std::wstring& value : downloading) most = std::max(most, std::stoi(value));
  EXPECT_GT(most, 63) << testing::PrintToString(downloading);
  ASSERT_FALSE(installing.empty());
  EXPECT_EQ(installing.back(), L"100%");
  EXPECT_TRUE(emulatorStarted(60000));
}

// The progress page says the percentage its status says, also in Arabic,
// whose status carries no number.
TEST_F(MainFrameAccessible, TheBarSaysTheStatusPercentage) {
  struct Case {
    const wchar_t* locale;
    const wchar_t* site;
  } cases[] = {{L"en_US", L"en"}, {L"ar_IL", L"ar"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::wideToUtf8(c.locale));
    reopenIn(c.locale, c.site);
    const std::wstring name = langText("progress_downloading_label");
    frame->showDownloadPage();
    frame->onDownloadProgress(42, 42 << 20, 100 << 20);
    auto items = readAccessibleTree(window);
    const AccessibleItem* bar = findAccessibleItem(items, name, ROLE_SYSTEM_PROGRESSBAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value, L"42%");  // drawn at 26
    EXPECT_EQ(this->bar(), 26);
    frame->onDownloadPercent(57);  // the percent-only reports of the second engine
    items = readAccessibleTree(window);
    bar = findAccessibleItem(items, name, ROLE_SYSTEM_PROGRESSBAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value, L"57%");
  }
}

// The folder field is named by what it asks for; leaving it with Tab is heard
// on the next control, not on the bare window; a wrong folder's error row and
// the install check's box are said as they appear.
TEST_F(MainFrameAccessible, TheFolderFieldIsNamedAndItsErrorsAreSaid) {
  ASSERT_TRUE(clickControl(frame, L"userdefineBtn"));
  AccessibleListener listener;
  ASSERT_TRUE(listener.start());
  ASSERT_TRUE(tabTo(L"pathedit"));
  auto* edit = static_cast<DuiLib::CEditUI*>(control(L"pathedit"));
  ASSERT_NE(edit->nativeWindow(), nullptr);
  HeardEvents heard =
      listener.heardUntil([](const HeardEvents& h) { return !focusOn(h, L"Edit").empty(); }, 10000);
  ASSERT_FALSE(focusOn(heard, L"Edit").empty());
  EXPECT_EQ(focusOn(heard, L"Edit").back().name, L"Please select file path");
  EXPECT_EQ(focusOn(heard, L"Edit").back().role, ROLE_SYSTEM_TEXT);

  listener.clear();
  SetWindowTextW(edit->nativeWindow(), L"C:\\a\\ \\b");
  // What the window says has its focus at the moment it takes the keyboard back.
  FocusWatch watch(frame);
  ASSERT_TRUE(frame->translateKey(VK_TAB, false));
  ASSERT_FALSE(watch.seen().empty());
  for (DuiLib::CControlUI* focused : watch.seen()) EXPECT_EQ(focused, control(L"browsebtn"));
  EXPECT_TRUE(control(L"errorLayout")->isOwnVisible());
  heard = listener.heardUntil(
      [](const HeardEvents& h) {
        return !heardOf(h, L"alert").empty() && !focusOn(h, kMainClass).empty();
      },
      10000);
  heard = listener.heardWithin(300);
  print("What a reader heard on leaving the folder field:", testing_support::printHeard(heard));
  HeardEvents alerts = heardOf(heard, L"alert");
  const testing_support::HeardEvent* error = findHeard(alerts, L"File path error!");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->role, ROLE_SYSTEM_ALERT);
  HeardEvents focus = focusOn(heard, kMainClass);
  ASSERT_FALSE(focus.empty());
  for (const auto& event : focus) EXPECT_NE(event.child, CHILDID_SELF) << "the bare window";
  EXPECT_EQ(focus.back().name, L"Browse...");

  // The install check's box says its error as it opens.
  listener.clear();
  EXPECT_FALSE(frame->checkBeforeInstall());
  heard = listener.heardUntil(
      [](const HeardEvents& h) {
        return findHeard(heardOf(h, L"alert"), L"Error file path") != nullptr;
      },
      10000);
  alerts = heardOf(heard, L"alert");
  error = findHeard(alerts, L"Error file path");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->windowClass, L"MessageBox");
}

// The slow-download box: its title bar's close and its "Close" button read
// apart, and Enter takes the highlighted button, the browser.
TEST_F(MainFrameAccessible, TheSlowDownloadBoxTellsItsClosesApart) {
  world.model().m_url =
      testing_support::testServerUrl("PRIMARY") + L"/download/package/Vorlane9.0.exe";
  frame->onDownloadProgress(42, 42 << 20, 100 << 20);
  ASSERT_TRUE(clickControl(frame, L"closebtn"));
  ASSERT_NE(box(), nullptr);
  auto items = readAccessibleTree(box()->getHWND());
  print("The slow-download box as a reader finds it:", testing_support::printAccessibleTree(items));
  const AccessibleItem* quit = findAccessibleItem(items, L"Close", ROLE_SYSTEM_PUSHBUTTON);
  const AccessibleItem* dismiss = findAccessibleItem(items, L"Cancel", ROLE_SYSTEM_PUSHBUTTON);
  const AccessibleItem* browser = findAccessibleItem(items, L"Download by browser");
  ASSERT_TRUE(quit && dismiss && browser);
  int closes = 0;
  for (const AccessibleItem& item : items) closes += item.name == L"Close";
  EXPECT_EQ(closes, 1);
  EXPECT_LT(dismiss->location.top, quit->location.top);  // the title bar's
  EXPECT_EQ(browser->state & STATE_SYSTEM_DEFAULT, STATE_SYSTEM_DEFAULT);
  EXPECT_EQ(quit->state & STATE_SYSTEM_DEFAULT, 0);
  EXPECT_TRUE(box()->translateKey(VK_RETURN, false));
  auto urls = opened.list(1);
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_EQ(urls.front(), utility::wideToUtf8(world.model().m_url));
}

}  // namespace
