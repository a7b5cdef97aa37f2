// The offer host over a real owner window with the stand-in library: its
// windows and places, the tick that lets the library display its offer, the
// buttons, dragging, the wait's limit and the release.
#include "offer/sdk_api_impl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "offer/sdk_wrapper.h"
#include "tests/support/offer_standin.h"
#include "utility/detached_thread.h"
#include "utility/text.h"
#include "utility/ui_dispatcher.h"

using testing_support::OfferStandIn;
using testing_support::pumpUntil;
using Calls = std::vector<std::string>;

namespace {

std::string number(HWND window) {
  return std::to_string(reinterpret_cast<intptr_t>(window));
}

RECT windowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

class SdkApiImplTest : public ::testing::Test {
 protected:
  OfferStandIn library;
  HWND owner = nullptr;
  // Made anew for each test and never destroyed: a start-up thread may
  // outlive the test.
  SDKAPIImpl* host = new SDKAPIImpl(*new SDKWrapper());
  int finished = 0;
  std::vector<bool> closeRequests;
  std::vector<OfferMoment> moments;

  static void SetUpTestSuite() { utility::UiDispatcher::create(); }
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OfferOwner";
    RegisterClassW(&wc);
    owner = CreateWindowExW(0, L"OfferOwner", L"", WS_POPUP | WS_VISIBLE, 100, 100, 688, 458,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SDKAPIImpl::Hooks hooks;
    hooks.closeRequested = [this](bool installing) { closeRequests.push_back(installing); };
    hooks.finished = [this] { ++finished; };
    hooks.report = [this](OfferMoment moment) { moments.push_back(moment); };
    host->setHooks(std::move(hooks));
  }
  void TearDown() override {
    host->releaseDLL();
    DestroyWindow(owner);
  }
  // Starts the library and shows the host; true once the first tick ran.
  bool show(const wchar_t* openId = L"100", int scale = 100) {
    host->init(openId);
    host->showADWindow(owner, scale);
    return host->hostWindow() &&
           pumpUntil([&] { return !library.arguments(4).empty() || finished > 0; }, 3000);
  }
  bool visible(HWND window) const { return window && IsWindowVisible(window); }
  void click(HWND window) { SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }
};

TEST_F(SdkApiImplTest, HostCoversTheOwnerAndTheLibraryDisplaysIntoItsContainer) {
  ASSERT_TRUE(show(L"2100abc"));
  EXPECT_EQ(library.arguments(1), Calls{"{\"local\":\"en\",\"channel\":\"buy\"}"});
  HWND window = host->hostWindow();
  RECT rect = windowRect(window);
  EXPECT_EQ(rect.left, 116);
  EXPECT_EQ(rect.top, 116);
  EXPECT_EQ(rect.right - rect.left, 656);
  EXPECT_EQ(rect.bottom - rect.top, 396);
  EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  EXPECT_STREQ(text, L"Installer Main Window");
  // The library is told the part of the container above the buttons: 486 x 214.
  EXPECT_EQ(library.arguments(3),
            Calls{"{\"wnd\":\"" + number(host->containerWindow()) +
                  "\", \"backgroundColor\":\"#FF0e0e0e\", \"x\":\"0\", \"y\":\"0\", "
                  "\"width\":\"486\", \"height\":\"214\"}"});
  EXPECT_EQ(library.arguments(4), Calls{"{\"acceptBtnWnd\":\"" + number(host->acceptWindow()) +
                                        "\", \"declineBtnWnd\":\"" +
                                        number(host->rejectWindow()) + "\"}"});
  EXPECT_TRUE(visible(host->acceptWindow()));
  EXPECT_TRUE(visible(host->rejectWindow()));
  EXPECT_TRUE(visible(host->closeWindow()));
  EXPECT_EQ(moments, std::vector<OfferMoment>{OfferMoment::kShown});
  EXPECT_EQ(finished, 0);
  // The system cannot close it; dragging it moves the owner along.
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(400, 300)), HTCAPTION);
  SetWindowPos(window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT moved = windowRect(owner);
  EXPECT_EQ(moved.left, 284);
  EXPECT_EQ(moved.top, 184);
  EXPECT_EQ(moved.right - moved.left, 688);
  EXPECT_EQ(moved.bottom - moved.top, 458);
}

TEST_F(SdkApiImplTest, ADisplayAnsweredZeroEndsTheStepOnce) {
  library.answer(L"display=0");
  ASSERT_TRUE(show());
  EXPECT_EQ(host->hostWindow(), nullptr);
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(moments.empty());
  pumpUntil([] { return false; }, 1200);  // later ticks change nothing
  EXPECT_EQ(finished, 1);
  host->showADWindow(owner);  // a second host would never be filled: none is made
  EXPECT_EQ(host->hostWindow(), nullptr);
  EXPECT_EQ(library.arguments(4).size(), 1u);
}

TEST_F(SdkApiImplTest, AcceptAnsweredNonZeroKeepsTheOfferAndALaterZeroEndsIt) {
  library.answer(L"accept=1");
  ASSERT_TRUE(show());
  click(host->acceptWindow());
  EXPECT_NE(host->hostWindow(), nullptr);
  EXPECT_TRUE(visible(host->acceptWindow()));
  EXPECT_EQ(finished, 0);
  click(host->acceptWindow());
  EXPECT_EQ(host->hostWindow(), nullptr);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(moments, (std::vector<OfferMoment>{OfferMoment::kShown, OfferMoment::kAccepted,
                                               OfferMoment::kAccepted}));
  host->installOffer();
  host->releaseDLL();
  EXPECT_EQ(library.arguments(5), (Calls{"", ""}));
  EXPECT_EQ(library.arguments(7), Calls{""});
  EXPECT_EQ(library.arguments(9), Calls{""});
}

// The host comes up without the keyboard and takes it only with a displayed
// offer, and only from the window it covers: never from a box over it.
TEST_F(SdkApiImplTest, TheHostTakesTheKeyboardOnlyOnceItsOfferIsDisplayed) {
  for (bool boxOverOwner : {false, true}) {
    SCOPED_TRACE(boxOverOwner ? "a box over the owner" : "the owner active");
    SDKAPIImpl* fresh = new SDKAPIImpl(*new SDKWrapper());  // one offer per host
    fresh->setHooks({});
    HWND box = CreateWindowExW(0, L"OfferOwner", L"", WS_POPUP, 0, 0, 50, 50, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ShowWindow(owner, SW_SHOW);
    SetActiveWindow(owner);
    if (boxOverOwner) ShowWindow(box, SW_SHOW);  // and active
    HWND active = GetActiveWindow();
    fresh->init(L"100");
    ASSERT_TRUE(fresh->showADWindow(owner));
    EXPECT_EQ(GetActiveWindow(), active);  // no offer yet: the keyboard stays
    ASSERT_TRUE(pumpUntil([&] { return visible(fresh->acceptWindow()); }, 3000));
    EXPECT_EQ(GetActiveWindow(), boxOverOwner ? box : fresh->hostWindow());
    fresh->releaseDLL();
    DestroyWindow(box);
  }
}

TEST_F(SdkApiImplTest, RejectEndsTheStep) {
  ASSERT_TRUE(show());
  click(host->rejectWindow());
  EXPECT_EQ(host->hostWindow(), nullptr);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(moments, (std::vector<OfferMoment>{OfferMoment::kShown, OfferMoment::kRejected}));
}

TEST_F(SdkApiImplTest, CloseButtonAsksTheOwnerThenTheHostGoesBeforeTheForcedUnload) {
  ASSERT_TRUE(show());
  click(host->closeWindow());
  EXPECT_EQ(closeRequests, std::vector<bool>{false});
  HWND window = host->hostWindow();
  EXPECT_NE(window, nullptr);  // the host stays while the owner asks
  EXPECT_EQ(moments, (std::vector<OfferMoment>{OfferMoment::kShown, OfferMoment::kClosed}));
  // Alt+F4 asks the same; the system never closes the host.
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(closeRequests, (std::vector<bool>{false, false}));
  EXPECT_TRUE(IsWindow(window));
  host->installOffer();  // closed: the library installs nothing
  host->hide();          // the owner hid: the run ends, and the host goes out of sight with it
  EXPECT_FALSE(IsWindowVisible(window));
  std::wstring dll = utility::utf8ToWide(library.loads().at(0));
  host->releaseDLL();
  host->releaseDLL();
  // Its windows went first, then the library was told to end, once, and freed.
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(host->hostWindow(), nullptr);
  EXPECT_TRUE(library.arguments(7).empty());
  EXPECT_EQ(library.arguments(9), Calls{"{\"force\":\"true\"}"});
  EXPECT_EQ(GetModuleHandleW(dll.c_str()), nullptr);
}

TEST_F(SdkApiImplTest, AnInstallAnsweredZeroIsUnloadedByForce) {
  library.answer(L"install=0");
  ASSERT_TRUE(show());
  host->installOffer();
  host->releaseDLL();
  EXPECT_EQ(library.arguments(7), Calls{""});
  EXPECT_EQ(library.arguments(9), Calls{"{\"force\":\"true\"}"});
}

TEST_F(SdkApiImplTest, ALibraryStillStartingIsLeftAloneAtRelease) {
  library.answer(L"never-ready");
  host->startInit(L"100");
  ASSERT_TRUE(pumpUntil([&] { return library.arguments(2).size() == 1; }, 5000));
  host->releaseDLL();  // function 2 has not returned: nothing of it is touched
  EXPECT_FALSE(host->isReady());
  EXPECT_FALSE(host->libraryLoaded());
  EXPECT_TRUE(library.arguments(9).empty());
  EXPECT_NE(GetModuleHandleW(utility::utf8ToWide(library.loads().at(0)).c_str()), nullptr);
}

// A variant without the offer, and a start-up thread the system cannot make,
// load nothing: the host is ready at once without an offer.
TEST_F(SdkApiImplTest, WithoutTheOfferOrAThreadNothingIsLoaded) {
  const struct {
    const char* what;
    bool enabled;
    SDKAPIImpl::ThreadStarter start;
  } cases[] = {
      {"the offer off", false, &utility::startDetachedThread},
      {"no thread", true, [](std::function<void()>) { return false; }},
  };
  for (const auto& c : cases) {
    auto* other = new SDKAPIImpl(*new SDKWrapper(), c.start);  // as the fixture's, never destroyed
    SDKAPIImpl::Hooks hooks;
    hooks.enabled = c.enabled;
    int ended = 0;
    hooks.finished = [&] { ++ended; };
    other->setHooks(std::move(hooks));
    other->startInit(L"100");
    EXPECT_TRUE(other->isReady()) << c.what;
    EXPECT_FALSE(other->libraryLoaded()) << c.what;
    EXPECT_FALSE(other->hasOffer()) << c.what;
    if (c.enabled) {
      other->waitForOffer([] {});  // no thread for the wait either: the step ends at once
      EXPECT_EQ(ended, 1) << c.what;
    }
    other->releaseDLL();
    EXPECT_TRUE(library.loads().empty()) << c.what;
  }
}

TEST_F(SdkApiImplTest, AMinimisedOwnerGetsTheHostOfItsRestoredPlace) {
  ShowWindow(owner, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(owner));
  ASSERT_TRUE(show());
  ShowWindow(owner, SW_RESTORE);
  RECT rect = windowRect(host->hostWindow());
  EXPECT_EQ(rect.left, 116);
  EXPECT_EQ(rect.top, 116);
  EXPECT_EQ(rect.right - rect.left, 656);
  EXPECT_EQ(rect.bottom - rect.top, 396);
}

TEST_F(SdkApiImplTest, AtOneHundredFiftyPercentEveryPlaceAndSizeScales) {
  SetWindowPos(owner, nullptr, 10, 20, 1032, 687, SWP_NOZORDER);
  ASSERT_TRUE(show(L"100", 150));
  RECT rect = windowRect(host->hostWindow());
  EXPECT_EQ(rect.left, 34);
  EXPECT_EQ(rect.right - rect.left, 984);
  EXPECT_EQ(rect.bottom - rect.top, 594);
  RECT accept = windowRect(host->acceptWindow());
  EXPECT_EQ(accept.left - rect.left, 315);
  EXPECT_EQ(accept.right - accept.left, 144);
  EXPECT_EQ(library.arguments(3).size(), 1u);
  EXPECT_NE(library.arguments(3)[0].find("\"width\":\"728\", \"height\":\"321\""),
            std::string::npos)
      << library.arguments(3)[0];
}

TEST_F(SdkApiImplTest, ALibraryThatNeverGetsReadyIsGivenUpAfterTwentyTicks) {
  library.answer(L"never-ready");
  host->startInit(L"100");
  int shown = 0;
  const DWORD start = GetTickCount();
  host->waitForOffer([&] { ++shown; });
  ASSERT_TRUE(pumpUntil([&] { return finished > 0; }, SDKAPIImpl::kReadyLimitMs + 3000));
  EXPECT_GE(GetTickCount() - start, SDKAPIImpl::kReadyLimitMs - 100);
  EXPECT_EQ(shown, 0);
  host->showADWindow(owner);  // too late: ignored
  EXPECT_EQ(host->hostWindow(), nullptr);
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(host->libraryLoaded());
}

}  // namespace
