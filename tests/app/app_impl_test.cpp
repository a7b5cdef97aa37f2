// The application object's window steps, with the system's answers given by
// the test: the main window's style, the Windows XP refusal and the 32-bit
// switch to variant 4.0, each applied once however often the window is asked
// to come to the front; and the manifest the emulator's start relies on.
#include "app/app_impl.h"

#include <gtest/gtest.h>

#include <string>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/main_frame.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_testing.h"
#include "utility/ui_dispatcher.h"

using testing_support::pumpFor;
using testing_support::windowsOfClass;

namespace {

bool yes() { return true; }
bool no() { return false; }

// The style the window was made with (shown and enabled or not).
DWORD madeStyle(HWND window) {
  return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & 0xFFFF0000u &
         ~(WS_VISIBLE | WS_DISABLED);
}

class AppWindowTest : public ::testing::Test {
 protected:
  testing_support::LogCapture log;

  void SetUp() override {
    utility::UiDispatcher::create();
    testing_support::useStagedSkin(L"en_US");
    ConfigImp::instance().setPlayer9();
    CAppModel::instance().m_installDir = L"C:\\Vorlane\\Vorlane9\\";
  }
  void TearDown() override {
    for (auto* box : windowsOfClass(L"MessageBox")) DestroyWindow(box->getHWND());
    for (auto* frame : windowsOfClass(L"vlmainframe")) DestroyWindow(frame->getHWND());
    pumpFor(50);
  }
  int logged(const wchar_t* message) const { return log.count("CAppImpl::showMainFrame", message); }
};

TEST_F(AppWindowTest, On64BitWindowsTheWindowIsAPlainPopupAndNothingChanges) {
  CAppImpl app({&yes, &yes});
  app.showMainFrame();
  ASSERT_NE(app.mainFrame(), nullptr);
  HWND window = app.mainFrame()->getHWND();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(madeStyle(window), 0x86000000u);
  EXPECT_TRUE(ConfigImp::instance().isPlayer9);
  EXPECT_EQ(logged(L"32 system!!!"), 0);
  EXPECT_TRUE(windowsOfClass(L"MessageBox").empty());
}

TEST_F(AppWindowTest, On32BitWindowsVariant40IsChosenOnceAndTheChosenFolderStays) {
  CAppImpl app({&yes, &no});
  app.showMainFrame();
  CAppMainFrame* frame = app.mainFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(ConfigImp::instance().isPlayer4);
  EXPECT_NE(CAppModel::instance().m_installDir.find(L"Vorlane4.0"), std::wstring::npos);
  EXPECT_EQ(frame->findControl(L"pathedit")->getText(), CAppModel::instance().m_installDir);
  // The logo of the variant chosen, not of the one the file name asked for.
  EXPECT_TRUE(frame->findControl(L"logoCon")->isVisible());
  EXPECT_FALSE(frame->findControl(L"logo9Con")->isVisible());

  frame->setInstallPath(L"C:\\Mine\\Vorlane\\");
  ShowWindow(frame->getHWND(), SW_MINIMIZE);
  app.showMainFrame();  // as for a second copy's request
  EXPECT_EQ(app.mainFrame(), frame);
  EXPECT_FALSE(IsIconic(frame->getHWND()));
  EXPECT_EQ(CAppModel::instance().m_installDir, L"C:\\Mine\\Vorlane\\");
  EXPECT_EQ(logged(L"create main"), 2);
  EXPECT_EQ(logged(L"32 system!!!"), 1);
}

TEST_F(AppWindowTest, OnWindowsXpTheRefusalIsShownOnceOverTheWindowAndEndsTheRun) {
  for (bool byCloseButton : {false, true}) {
    CAppImpl app({&no, &no});
    app.showMainFrame();
    app.showMainFrame();
    ASSERT_NE(app.mainFrame(), nullptr);
    HWND window = app.mainFrame()->getHWND();
    EXPECT_EQ(madeStyle(window), 0x860C0000u);
    auto boxes = windowsOfClass(L"MessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(GetWindow(boxes.front()->getHWND(), GW_OWNER), window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(ConfigImp::instance().isPlayer9);

    // Its one button, or its close button: nothing may start on this system.
    if (byCloseButton) {
      EXPECT_TRUE(testing_support::clickControl(boxes.front(), L"closebtn"));
    } else {
      EXPECT_TRUE(boxes.front()->translateKey(VK_RETURN, false));
    }
    EXPECT_TRUE(pumpFor(200)) << byCloseButton;  // the window closed and ended the message loop
    EXPECT_EQ(app.mainFrame(), nullptr) << byCloseButton;
    EXPECT_FALSE(IsWindow(window)) << byCloseButton;
    app.uninit();  // must not touch the window that has gone
  }
}

// Refuses to make any window of the main window's class on this thread.
LRESULT CALLBACK refuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
  wchar_t name[32] = {};
  if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 32) &&
      std::wstring(name) == L"vlmainframe")
    return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(AppWindowTest, WithoutAMainWindowTheRunEnds) {
  HHOOK hook = SetWindowsHookExW(WH_CBT, &refuseMainWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  CAppImpl app({&yes, &yes});
  app.showMainFrame();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(app.mainFrame(), nullptr);
  EXPECT_TRUE(pumpFor(100));  // the quit message: no invisible process left running
  EXPECT_EQ(log.count("CAppImpl::showMainFrame", L"no main window: the run ends"), 1);
}

TEST(InstallerManifest, AsksForAdministratorAndDeclaresNoSupportedSystems) {
  std::wstring installer = testing_support::exeFolder() + L"..\\..\\app\\VorlaneInstaller.exe";
  HMODULE module = LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                       SizeofResource(module, found));
  FreeLibrary(module);
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
  // Without a supported-systems list every Windows from 8 on reports 6.2,
  // which the emulator's start expects.
  EXPECT_EQ(manifest.find("supportedOS"), std::string::npos);
}

}  // namespace
