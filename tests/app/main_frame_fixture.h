// The main window as a real window over a model wired to loopback package
// hosts and telemetry endpoints (tests/app/model_fixture.h), with the offer
// library's stand-in and a recording browser: what the main window's tests
// share.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "offer/sdk_api_impl.h"
#include "offer/sdk_wrapper.h"
#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "tests/support/offer_standin.h"
#include "tests/support/opened_urls.h"
#include "tests/support/ui_testing.h"
#include "toolkit/container.h"
#include "toolkit/progress.h"
#include "utility/ufile.h"

namespace main_frame_testing {

class MainFrameTest : public ::testing::Test {
 protected:
  model_testing::ModelFixture world;
  testing_support::OpenedUrls opened;
  testing_support::OfferStandIn offerLibrary;
  CAppMainFrame* frame = nullptr;
  SDKAPIImpl* offer = nullptr;
  HWND window = nullptr;

  void SetUp() override {
    testing_support::useStagedSkin(L"en_US");
    offerLibrary.answer(L"display=0");  // no offer unless a test asks for one
    openFrame();
  }
  void TearDown() override {
    for (auto* box : testing_support::windowsOfClass(L"MessageBox")) DestroyWindow(box->getHWND());
    for (auto* box : testing_support::windowsOfClass(L"vlbox")) DestroyWindow(box->getHWND());
    if (IsWindow(window)) DestroyWindow(window);
    testing_support::pumpFor(50);
    SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", nullptr);
    testing_support::endProcesses(L"vdplayer.exe");
  }

  void openFrame() {
    // A host of the window's own, never destroyed: its start-up thread may outlive it.
    offer = new SDKAPIImpl(*new SDKWrapper());
    MainFrameServices services{&world.model(), &world.config(), &world.reporter(), offer};
    frame = new CAppMainFrame(services);
    window = frame->create(nullptr, nullptr, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0);
    ASSERT_NE(window, nullptr);
    frame->centerWindow();
    frame->showWindow(true, true);
    testing_support::pumpFor(50);
  }
  DuiLib::CControlUI* control(const wchar_t* name) const { return frame->findControl(name); }
  std::wstring text(const wchar_t* name) const { return control(name)->getText(); }
  bool shown(const wchar_t* name) const { return control(name)->isVisible(); }
  int page() const { return static_cast<DuiLib::CTabLayoutUI*>(control(L"maintab"))->getCurSel(); }
  int bar() const { return static_cast<DuiLib::CProgressUI*>(control(L"installbar"))->getValue(); }
  // The one generic box that is open, or null.
  DuiLib::WindowImplBase* box() const {
    auto boxes = testing_support::windowsOfClass(L"MessageBox");
    return boxes.size() == 1 ? boxes.front() : nullptr;
  }
  std::wstring boxText() const {
    return box() ? box()->findControl(L"descriptlabel")->getText() : L"";
  }
  // Clicks button `index` (from the left) of the open generic box.
  void clickBoxButton(int index) {
    auto* row = static_cast<DuiLib::CContainerUI*>(box()->findControl(L"bottombar"));
    row->getItemAt(index + 1)->setName(L"picked");
    ASSERT_TRUE(testing_support::clickControl(box(), L"picked"));
  }
  // The reporter's events once it has posted them.
  std::vector<std::string> reported(size_t atLeast) {
    world.reporter().notify();
    return model_testing::reportedEvents(world.collection().waitFor(
        [&](const auto& r) { return model_testing::reportedEvents(r).size() >= atLeast; }));
  }
  std::vector<std::string> analytics(size_t atLeast) {
    return model_testing::analyticsEvents(world.analytics().waitFor(
        [&](const auto& r) { return model_testing::analyticsEvents(r).size() >= atLeast; }));
  }
  // The emulator stand-in in the installation folder: it notes its start
  // parameters in "vdplayer_args.txt".
  void placeStandins() {
    const std::wstring& folder = world.model().m_installDir;
    ASSERT_TRUE(CopyFileW(standins::player().c_str(), (folder + L"\\vdplayer.exe").c_str(), FALSE));
  }
  bool emulatorStarted(DWORD waitMs) {
    std::wstring args = world.model().m_installDir + L"\\vdplayer_args.txt";
    return testing_support::pumpUntil([&] { return utility::ufile::exists(args); }, waitMs);
  }
};

}  // namespace main_frame_testing
