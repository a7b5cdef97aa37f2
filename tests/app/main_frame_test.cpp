// The main window as a real window over a model wired to loopback package
// hosts and telemetry endpoints: its pages, the installation folder, the
// progress page, leaving it, and its end.
#include "app/main_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/config_imp.h"
#include "offer/sdk_api_impl.h"
#include "offer/sdk_wrapper.h"
#include "report/event_names.h"
#include "skin/language_table.h"
#include "standins/standins.h"
#include "tests/app/main_frame_fixture.h"
#include "tests/app/model_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/offer_standin.h"
#include "tests/support/opened_urls.h"
#include "tests/support/ui_testing.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/message_filter.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "ui/message_box.h"
#include "ui/msg_registry.h"
#include "utility/text.h"
#include "utility/ufile.h"

using namespace model_testing;
using testing_support::clickControl;
using testing_support::pumpFor;
using testing_support::pumpUntil;
using testing_support::windowsOfClass;

namespace {

using main_frame_testing::MainFrameTest;

TEST_F(MainFrameTest, FirstPageShowsTheFolderTheLicenceAndTheVariantsLogo) {
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"Vorlane Installer");
  EXPECT_EQ(page(), 0);
  EXPECT_EQ(text(L"pathedit"), world.model().m_installDir);
  EXPECT_TRUE(shown(L"logo9Con"));
  EXPECT_FALSE(shown(L"logoCon"));
  EXPECT_FALSE(shown(L"userdefinui"));
  EXPECT_FALSE(shown(L"errorLayout"));
  EXPECT_TRUE(control(L"installnowbtn")->isEnabled());
  EXPECT_EQ(text(L"protobtn"), L"<u>Licensing Protocol</u>");
  EXPECT_EQ(text(L"homeBtn"), world.config().homePageUrl());
  // The licence link opens the maker's licence page.
  ASSERT_TRUE(clickControl(frame, L"protobtn"));
  EXPECT_EQ(opened.list(1),
            std::vector<std::string>{utility::wideToUtf8(world.config().licencePageUrl())});
}

TEST_F(MainFrameTest, PanelOpensAndClosesAndTheInstallButtonFollows) {
  DuiLib::setLangText(L"install_now", L"Install now");
  ASSERT_TRUE(clickControl(frame, L"userdefineBtn"));
  EXPECT_TRUE(shown(L"userdefinui"));
  EXPECT_TRUE(shown(L"backBtn"));
  EXPECT_FALSE(shown(L"userdefineBtn"));
  EXPECT_EQ(text(L"installnowbtn"), L"Install now");
  frame->refreshPathState();  // a refresh leaves the panel as it is
  EXPECT_TRUE(shown(L"userdefinui"));
  ASSERT_TRUE(clickControl(frame, L"backBtn"));
  EXPECT_FALSE(shown(L"userdefinui"));
  EXPECT_TRUE(shown(L"userdefineBtn"));
  EXPECT_EQ(text(L"installnowbtn"), L"Install");
}

TEST_F(MainFrameTest, TypedFolderIsCompletedWhenTheBoxIsLeft) {
  ASSERT_TRUE(clickControl(frame, L"userdefineBtn"));
  ASSERT_TRUE(clickControl(frame, L"pathedit"));
  auto* edit = static_cast<DuiLib::CEditUI*>(control(L"pathedit"));
  ASSERT_NE(edit->nativeWindow(), nullptr);
  SetWindowTextW(edit->nativeWindow(), L"C:\\Games");
  EXPECT_TRUE(frame->translateKey(VK_RETURN, false));  // Enter ends the typing
  EXPECT_EQ(world.model().m_installDir, L"C:\\Games\\Vorlane\\Vorlane9\\");
  EXPECT_EQ(edit->getText(), L"C:\\Games\\Vorlane\\Vorlane9\\");
  EXPECT_EQ(box(), nullptr);  // no other drive was proposed, and C: has more than 17 GB free
}

TEST_F(MainFrameTest, BrowsingOverAChosenFolderAsksFirst) {
  ASSERT_TRUE(clickControl(frame, L"userdefineBtn"));
  ASSERT_TRUE(clickControl(frame, L"browsebtn"));
  EXPECT_EQ(boxText(),
            L"Installed data can not be read if you change the installation path, are you sure you "
            L"want to change the path?");
  clickBoxButton(1);  // "cancel": no folder browser
  pumpFor(100);
  EXPECT_EQ(box(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(MainFrameTest, AnInvalidFolderIsKeptButBlocksInstalling) {
  frame->changePathClac(true, L"C:/a/ /b");
  EXPECT_EQ(world.model().m_installDir, L"C:\\a\\ \\b\\Vorlane\\Vorlane9\\");
  auto* edit = static_cast<DuiLib::CEditUI*>(control(L"pathedit"));
  EXPECT_TRUE(control(L"errorLayout")->isOwnVisible());
  EXPECT_FALSE(control(L"installnowbtn")->isEnabled());
  EXPECT_EQ(edit->getText(), world.model().m_installDir);
  EXPECT_EQ(edit->getNormalImage(),
            L"file='error_edit_bg.png' source='0,0,10,10' corner='4,4,4,4'");

  frame->setInstallPath(L"C:\\Games\\Vorlane\\");
  EXPECT_FALSE(control(L"errorLayout")->isOwnVisible());
  EXPECT_EQ(edit->getNormalImage(),
            L"file='browse_button.png' source='0,0,28,28' corner='4,4,4,4'");
  EXPECT_TRUE(control(L"installnowbtn")->isEnabled());
  // Unticking the licence disables the button; ticking enables it again.
  ASSERT_TRUE(clickControl(frame, L"acceptOpt"));
  EXPECT_FALSE(control(L"installnowbtn")->isEnabled());
  ASSERT_TRUE(clickControl(frame, L"acceptOpt"));
  EXPECT_TRUE(control(L"installnowbtn")->isEnabled());
}

TEST_F(MainFrameTest, DrivePromptOffersTheProposedDrive) {
  // The proposed folder is on a solid-state drive Z:; C: is not one here.
  world.model().m_defaultInstallDir = L"Z:\\Vorlane\\Vorlane9\\";
  world.model().m_defaultDriveIsSsd = true;
  struct Case {
    int button;  // 0 "path_ok", 1 "path_not", -1 the close button
    const wchar_t* kept;
  } cases[] = {{0, L"Z:\\Vorlane\\Vorlane9\\"},
               {1, L"C:\\Games\\Vorlane\\Vorlane9\\"},
               {-1, L"C:\\Games\\Vorlane\\Vorlane9\\"}};
  for (const Case& c : cases) {
    world.model().m_installDir = L"C:\\Old\\Vorlane\\";
    frame->changePathClac(true, L"C:/Games");
    EXPECT_EQ(world.model().m_installDir, L"C:\\Games\\Vorlane\\Vorlane9\\");  // already taken
    EXPECT_EQ(boxText(),
              L"HDD (Disk C) may lead to game stuttering, please choose SSD (Disk Z) for better "
              L"performance, do you want to change the path?");
    if (c.button >= 0) {
      clickBoxButton(c.button);
    } else {
      ASSERT_TRUE(clickControl(box(), L"closebtn"));
    }
    pumpFor(100);
    EXPECT_EQ(world.model().m_installDir, c.kept) << c.button;
    EXPECT_EQ(box(), nullptr) << c.button;  // C: has room: no space prompt follows
  }
  // A folder on the proposed drive is never advised on.
  frame->changePathClac(true, L"Z:/Elsewhere");
  EXPECT_EQ(world.model().m_installDir, L"Z:\\Elsewhere\\Vorlane\\Vorlane9\\");
  EXPECT_EQ(box(), nullptr);
}

TEST_F(MainFrameTest, InstallChecksStopWithTheirBoxAndStartNothing) {
  struct Case {
    bool accepted;
    const wchar_t* folder;
    const wchar_t* shown;
  } cases[] = {{false, nullptr, L"Accept"}, {true, L"C:\\a\\ \\b\\", L"Error file path"}};
  for (const Case& c : cases) {
    static_cast<DuiLib::COptionUI*>(control(L"acceptOpt"))->selected(c.accepted, false);
    if (c.folder) world.model().m_installDir = c.folder;
    EXPECT_FALSE(frame->checkBeforeInstall());
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(boxText(), c.shown);
    EXPECT_EQ(box()->findControl(L"titlelabel")->getText(), L"Error");
    auto* row = static_cast<DuiLib::CContainerUI*>(box()->findControl(L"bottombar"));
    EXPECT_EQ(row->getItemAt(1)->getText(), L"OK");  // the "confirm" row of the table
    DestroyWindow(box()->getHWND());
    pumpFor(50);
  }
  EXPECT_EQ(page(), 0);
  EXPECT_FALSE(world.model().m_downloadThread.isRunning());
}

// The offer library is told the download is done (function 7) as the window
// installs: here it raises a Windows exception there, which ends only the
// offer (stage 7), never the installation.
TEST_F(MainFrameTest, InstallRunsDownloadAndInstallationAndStartsTheEmulator) {
  offerLibrary.answer(L"display=0 raise=7");
  scriptHosts({serveFile(standins::package(L"signed"))}, {});
  world.model().m_url =
      testing_support::testServerUrl("PRIMARY") + L"/download/package/Vorlane9.0.exe";
  world.model().m_spareUrl =
      testing_support::testServerUrl("SPARE") + L"/download/package/Vorlane9.0.exe";
  ASSERT_TRUE(clickControl(frame, L"installnowbtn"));
  EXPECT_EQ(page(), CAppMainFrame::kOfferLoadingPage);
  EXPECT_FALSE(shown(L"logo9Con"));
  // The library displays no offer: the progress page follows on the first tick.
  EXPECT_TRUE(pumpUntil([&] { return page() == CAppMainFrame::kProgressPage; }, 5000));
  EXPECT_TRUE(shown(L"logo9Con"));
  EXPECT_FALSE(shown(L"ironsourceLayout"));

  EXPECT_TRUE(emulatorStarted(60000));
  EXPECT_EQ(offerLibrary.arguments(7), std::vector<std::string>{""});  // and it raised there
  EXPECT_EQ(bar(), 100);
  EXPECT_EQ(opened.list(1),
            std::vector<std::string>{utility::wideToUtf8(world.config().afterInstallPageUrl())});
  EXPECT_EQ(reported(4), (std::vector<std::string>{
                             "ad_start_downloader", "ad_download_success ext_field=aws",
                             "ad_download_duration duration=<int> ext_field=aws_ie", "jump_to_web"}));
}

TEST_F(MainFrameTest, ProgressReportsFillTheProgressPage) {
  frame->onDownloadProgress(42, 220200960, 524288000);
  EXPECT_EQ(text(L"loadprogresslabel"), L"Downloading...(42%)");
  EXPECT_EQ(text(L"downloadProgeLabel"), L"210.00M/500.00M");
  EXPECT_TRUE(control(L"downloadProgeLabel")->isOwnVisible());
  EXPECT_EQ(bar(), 26);
  EXPECT_EQ(frame->progressState(), 42);

  frame->onDownloadProgress(50, 0, 524288000);  // nothing received: only the size label shows
  EXPECT_EQ(text(L"loadprogresslabel"), L"Downloading...(42%)");
  EXPECT_EQ(frame->progressState(), 42);

  frame->onDownloadPercent(70);
  EXPECT_EQ(bar(), 70);
  EXPECT_FALSE(control(L"downloadProgeLabel")->isOwnVisible());
  EXPECT_EQ(text(L"loadprogresslabel"), L"Downloading...(70%)");
  EXPECT_EQ(frame->progressState(), 42);
}

TEST_F(MainFrameTest, WhileThePackageInstallsClosingOnlySaysToWait) {
  placeStandins();
  SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", L"delay:6000");
  // The package from the primary host; the window installs it once it is there.
  scriptHosts({serveFile(standins::package(L"signed"))}, {});
  useTestHosts(world);
  world.model().startDownloadPlayer();
  EXPECT_TRUE(
      pumpUntil([&] { return text(L"loadprogresslabel") == L"Installing, please wait"; }, 60000));
  EXPECT_FALSE(control(L"downloadProgeLabel")->isOwnVisible());
  EXPECT_EQ(frame->progressState(), 100);
  // The install-wait timer moves the bar on from 64.
  EXPECT_TRUE(pumpUntil([&] { return bar() == 64; }, 3000));
  EXPECT_TRUE(pumpUntil([&] { return bar() == 66; }, 3000));

  ASSERT_TRUE(clickControl(frame, L"closebtn"));
  EXPECT_EQ(boxText(), L"Please wait for the installation to end.");
  EXPECT_TRUE(windowsOfClass(L"vlbox").empty());
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(emulatorStarted(30000));  // the installation ends as usual
}

// WinINet brings all of a file that its check refuses (its last report is
// 100 %: "installing"), then libcurl's source runs: closing works as during
// any download again, and waiting for the connection says so.
TEST_F(MainFrameTest, AfterARefusedWholeFileTheWindowFollowsTheNextSource) {
  const std::wstring good = standins::package(L"signed");
  const std::string slow =
      serveFile(good, "\"rate\":" + std::to_string(testing_support::readFile(good).size() / 10));
  placeStandins();
  scriptHosts({serveFile(standins::package(L"unsigned")), slow}, {"{\"status\":404}"});
  useTestHosts(world);
  world.model().startDownloadPlayer();
  EXPECT_TRUE(pumpUntil([&] { return text(L"loadprogresslabel") == L"Downloading...(100%)"; },
                        30000));
  // libcurl's percentages on the primary host.
  EXPECT_TRUE(pumpUntil(
      [&] {
        std::wstring status = text(L"loadprogresslabel");
        return status != L"Downloading...(100%)" && status.rfind(L"Downloading...(", 0) == 0;
      },
      30000));
  EXPECT_NE(frame->progressState(), 100);
  ASSERT_TRUE(clickControl(frame, L"closebtn"));
  ASSERT_EQ(windowsOfClass(L"vlbox").size(), 1u);
  EXPECT_EQ(CMessageBox::openBox()->kind(), CMessageBox::kLeaveInstallation);
  DestroyWindow(CMessageBox::openBox()->getHWND());

  frame->onDownloadReconnecting();
  EXPECT_EQ(text(L"loadprogresslabel"), L"Reconnecting...");
  frame->onDownloadPercent(60);  // the next report ends it
  EXPECT_EQ(text(L"loadprogresslabel"), L"Downloading...(60%)");
  EXPECT_TRUE(pumpUntil([&] { return text(L"loadprogresslabel") == L"Installing, please wait"; },
                        60000));
  EXPECT_TRUE(emulatorStarted(60000));
}

TEST_F(MainFrameTest, ClosingBeforeAnySizedReportAsksWhetherToLeave) {
  frame->onDownloadPercent(30);  // the libcurl path reports no sizes
  // Escape and Alt+F4 ask as the close button does.
  for (UINT key : {VK_ESCAPE, VK_F4}) {
    if (key == VK_ESCAPE) {
      EXPECT_TRUE(frame->translateKey(VK_ESCAPE, false));
    } else {
      SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_EQ(windowsOfClass(L"vlbox").size(), 1u) << key;
    EXPECT_EQ(CMessageBox::openBox()->kind(), CMessageBox::kLeaveInstallation);
    EXPECT_EQ(box(), nullptr);
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(CMessageBox::openBox()->getHWND());
  }
}

TEST_F(MainFrameTest, LeavingASlowDownloadReportsProgressTimeAndSource) {
  struct Case {
    int button;  // 0 "download_close", 1 "downloadBybrowser"
    bool opensPackage;
  } cases[] = {{0, false}, {1, true}};
  size_t events = 0;
  for (const Case& c : cases) {
    if (!IsWindow(window)) openFrame();
    world.model().m_url = L"http://127.0.0.1:1/package.exe";
    frame->onDownloadProgress(42, 220200960, 524288000);
    ASSERT_TRUE(clickControl(frame, L"closebtn"));
    EXPECT_EQ(boxText(), L"Slow download? Download faster with browser");
    clickBoxButton(c.button);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(pumpFor(200));  // the quit message
    EXPECT_FALSE(IsWindow(window));
    auto seen = reported(++events);
    ASSERT_EQ(seen.size(), events);
    const std::string& leave = seen.back();
    EXPECT_EQ(leave.rfind("ad_cancel_download ext_field=42_", 0), 0u) << leave;
    EXPECT_EQ(leave.substr(leave.size() - 7), "_aws_IE") << leave;
    EXPECT_EQ(opened.list(c.opensPackage ? 1 : 0).size(), c.opensPackage ? 1u : 0u);
  }
  EXPECT_EQ(opened.list(1), std::vector<std::string>{"http://127.0.0.1:1/package.exe"});
}

TEST_F(MainFrameTest, FailedDownloadOffersTheBrowserEitherWayTheRunEnds) {
  world.model().m_url = L"http://127.0.0.1:1/package.exe";
  for (int button : {1, 0}) {  // "No", then "Yes"
    frame->onDownloadFailed();
    EXPECT_EQ(boxText(), L"Failed to download emulator kernel, please use browser instead");
    clickBoxButton(button);
    EXPECT_TRUE(pumpFor(200)) << button;
  }
  EXPECT_EQ(opened.list(1), std::vector<std::string>{"http://127.0.0.1:1/package.exe"});
}

TEST_F(MainFrameTest, FinishedInstallationStartsTheEmulatorAndClaimsOnlyASuccess) {
  placeStandins();
  const std::string package = "http://127.0.0.1:1/package.exe";
  const std::string afterInstall = utility::wideToUtf8(world.config().afterInstallPageUrl());
  world.model().m_url = utility::utf8ToWide(package);
  struct Case {
    bool success;
    bool playerExisted;
    int button;  // after a failure: 0 "Yes", 1 "No", -1 the box's close button
    int bar;
    const std::string* opens;  // the page it opens, if any
  } cases[] = {{false, false, 1, 64, nullptr},
               {false, false, -1, 64, nullptr},
               {false, false, 0, 64, &package},
               {true, false, 0, 100, &afterInstall},
               {true, true, 0, 100, nullptr}};
  std::vector<std::string> pages;
  for (const Case& c : cases) {
    DeleteFileW((world.model().m_installDir + L"\\vdplayer_args.txt").c_str());
    static_cast<DuiLib::CProgressUI*>(control(L"installbar"))->setValue(64);
    control(L"loadprogresslabel")->setText(L"Installing, please wait");
    world.model().m_playerExist = c.playerExisted;
    frame->onInstallFinished(c.success);
    EXPECT_EQ(bar(), c.bar) << c.button;
    if (c.success) {
      EXPECT_TRUE(pumpFor(50));  // the quit message
    }
    EXPECT_TRUE(emulatorStarted(10000)) << c.button;  // whatever came of the installation
    if (!c.success) {
      // Nothing claims success: it says so and offers the package for the browser.
      EXPECT_EQ(text(L"loadprogresslabel"), L"Installation did not complete");
      EXPECT_EQ(boxText(),
                L"The installation did not complete. Download the installer with your "
                L"browser and run it again?");
      EXPECT_FALSE(pumpFor(100)) << c.button;  // the run waits for the answer
      if (c.button >= 0) {
        clickBoxButton(c.button);
      } else {
        ASSERT_TRUE(clickControl(box(), L"closebtn"));
      }
      EXPECT_TRUE(pumpFor(200)) << c.button;  // the quit message
    }
    if (c.opens) pages.push_back(*c.opens);
    EXPECT_EQ(opened.list(pages.size()), pages) << c.button;
  }
  EXPECT_EQ(reported(1), std::vector<std::string>{"jump_to_web"});
}

TEST_F(MainFrameTest, ASlowDownloadsAnswersOnlyCloseTheBoxOnceItHasFinished) {
  world.model().m_url = L"http://127.0.0.1:1/package.exe";
  for (int button : {0, 1}) {  // "download_close", "downloadBybrowser"
    frame->onDownloadProgress(42, 220200960, 524288000);
    ASSERT_TRUE(clickControl(frame, L"closebtn"));
    ASSERT_EQ(boxText(), L"Slow download? Download faster with browser");
    frame->onDownloadProgress(100, 524288000, 524288000);  // the last report: all of it
    EXPECT_EQ(frame->progressState(), 100);
    EXPECT_EQ(bar(), 63);
    clickBoxButton(button);
    EXPECT_FALSE(pumpFor(200)) << button;  // no quit
    EXPECT_EQ(box(), nullptr) << button;
    EXPECT_TRUE(IsWindowVisible(window)) << button;
    EXPECT_TRUE(IsWindowEnabled(window)) << button;
    frame->onDownloadProgress(42, 220200960, 524288000);  // as before, for the next button
  }
  EXPECT_TRUE(opened.list(0, 200).empty());
  // Nothing was reported: the next event is the first.
  world.reporter().addEvent(events::report::kStartDownloader);
  EXPECT_EQ(reported(1), std::vector<std::string>{"ad_start_downloader"});
}

TEST_F(MainFrameTest, OfferConsentButtonsGoToTheirPagesAndReport) {
  DuiLib::TNotifyUI reject{L"click", control(L"rejectBtn")};
  frame->notify(reject);
  EXPECT_EQ(page(), CAppMainFrame::kProgressPage);
  EXPECT_TRUE(shown(L"logo9Con"));
  DuiLib::TNotifyUI accept{L"click", control(L"acceptBtn")};
  frame->notify(accept);
  EXPECT_EQ(page(), CAppMainFrame::kOfferLoadingPage);
  // Accepting waits for the offer again; none is displayed, so progress follows.
  EXPECT_TRUE(pumpUntil([&] { return page() == CAppMainFrame::kProgressPage; }, 5000));
  EXPECT_EQ(analytics(2), (std::vector<std::string>{"ad_reject_do:100", "ad_accept_do:100"}));

  // The partner's terms open only when their address is longer than 5
  // characters, and only when it is a web address: a loose language table
  // cannot make the installer start a program.
  DuiLib::TNotifyUI terms{L"click", control(L"ironsourceBtn")};
  testing_support::LogCapture log;
  for (const wchar_t* address : {L"x.com", L"C:\\Windows\\System32\\calc.exe",
                                 L"file:///C:/Windows/System32/calc.exe",
                                 L"http://127.0.0.1:1/terms"}) {
    DuiLib::setLangText(L"ironsource_url", address);
    frame->notify(terms);
  }
  EXPECT_EQ(opened.list(1), std::vector<std::string>{"http://127.0.0.1:1/terms"});
  EXPECT_EQ(log.count("utility::usystem::openUrl",
                      L"not a web address, not opened: C:\\Windows\\System32\\calc.exe"),
            1);
}

TEST_F(MainFrameTest, NothingRunsOnAWindowThatIsGone) {
  placeStandins();
  ModelCallbacks installed = world.model().callbacks();
  world.model().onProgress(nullptr, 0, 5, 10);                 // queues a progress report
  postToUi([installed] { installed.installFinished(true); });  // as held by queued work
  DestroyWindow(window);
  EXPECT_TRUE(pumpFor(300));  // the window's own quit message, and nothing else
  EXPECT_FALSE(world.model().callbacks().progress);
  EXPECT_FALSE(world.model().callbacks().installFinished);
  EXPECT_FALSE(emulatorStarted(1000));
  EXPECT_TRUE(opened.list().empty());
}

TEST_F(MainFrameTest, EachOfferStepReportsOnBothChannels) {
  const struct {
    const char* step;
    const char* analytics;
    const char* reported;
    bool progressFollows;
  } cases[] = {{"accept", "ad_iron_accept:100", "ad_accept", true},
               {"reject", "ad_iron_reject:100", "ad_reject", true},
               {"close", "ad_iron_close:100", "bundle_ad_withdrawal", false}};
  size_t events = 0;
  for (const auto& c : cases) {
    if (!IsWindow(window)) openFrame();
    offerLibrary.answer(L"");
    ASSERT_TRUE(pumpUntil([&] { return offer->isReady(); }, 5000)) << c.step;
    frame->showOfferWindow();
    EXPECT_TRUE(shown(L"ironsourceLayout"));
    ASSERT_TRUE(pumpUntil([&] { return offer->acceptWindow() && IsWindowVisible(offer->acceptWindow()); },
                          3000)) << c.step;
    HWND button = std::string(c.step) == "accept"   ? offer->acceptWindow()
                  : std::string(c.step) == "reject" ? offer->rejectWindow()
                                                    : offer->closeWindow();
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    if (c.progressFollows) {
      EXPECT_EQ(page(), CAppMainFrame::kProgressPage) << c.step;
      EXPECT_FALSE(shown(L"ironsourceLayout")) << c.step;
      EXPECT_EQ(offer->hostWindow(), nullptr) << c.step;
    } else {
      // Closing the offer asks whether to leave, over a disabled main window.
      ASSERT_EQ(windowsOfClass(L"vlbox").size(), 1u);
      EXPECT_FALSE(IsWindowEnabled(window));
      EXPECT_NE(offer->hostWindow(), nullptr);
      // When the main window hides to end the run, the offer's goes with it.
      ShowWindow(window, SW_HIDE);
      EXPECT_FALSE(IsWindowVisible(offer->hostWindow()));
    }
    events += 2;
    auto seenAnalytics = analytics(events);
    auto seenReported = reported(events);
    ASSERT_GE(seenAnalytics.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(seenAnalytics.end() - 2, seenAnalytics.end()),
              (std::vector<std::string>{"ad_iron_show:100", c.analytics}));
    EXPECT_EQ(std::vector<std::string>(seenReported.end() - 2, seenReported.end()),
              (std::vector<std::string>{"ad_show", c.reported}));
    DestroyWindow(window);
    pumpFor(50);
  }
}

TEST_F(MainFrameTest, TheOfferOverlayComesOnlyWithTheOfferWindow) {
  ASSERT_TRUE(pumpUntil([&] { return offer->isReady(); }, 5000));
  ShowWindow(window, SW_HIDE);  // the run ends: nothing comes up over it any more
  frame->showOfferWindow();
  EXPECT_EQ(offer->hostWindow(), nullptr);
  EXPECT_FALSE(shown(L"ironsourceLayout"));

  ShowWindow(window, SW_SHOW);
  frame->showOfferWindow();  // display answered 0: the step ends on the first tick
  EXPECT_NE(offer->hostWindow(), nullptr);
  EXPECT_TRUE(shown(L"ironsourceLayout"));
  ASSERT_TRUE(pumpUntil([&] { return page() == CAppMainFrame::kProgressPage; }, 3000));
  EXPECT_FALSE(shown(L"ironsourceLayout"));
  frame->showOfferWindow();  // no second offer window is made, and so no overlay
  EXPECT_EQ(offer->hostWindow(), nullptr);
  EXPECT_FALSE(shown(L"ironsourceLayout"));
}

TEST_F(MainFrameTest, TheOfferKeepsItsOwnKeys) {
  offerLibrary.answer(L"");
  ASSERT_TRUE(pumpUntil([&] { return offer->isReady(); }, 5000));
  frame->showOfferWindow();
  ASSERT_TRUE(pumpUntil([&] { return offer->acceptWindow() && IsWindowVisible(offer->acceptWindow()); },
                        3000));
  // The library's text box, inside its offer in the container.
  HWND drawn = GetWindow(offer->containerWindow(), GW_CHILD);
  HWND notes = drawn ? FindWindowExW(drawn, nullptr, L"EDIT", nullptr) : nullptr;
  ASSERT_NE(notes, nullptr);
  SetFocus(notes);
  // Typed through the program's own message loop with the toolkit's filter.
  for (WPARAM key : {WPARAM('A'), WPARAM(VK_TAB), WPARAM(VK_SPACE), WPARAM(VK_RETURN)}) {
    PostMessageW(notes, WM_KEYDOWN, key, 1);
    PostMessageW(notes, WM_KEYUP, key, 0xC0000001);
  }
  DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < 500) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (DuiLib::preTranslateMessage(&message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
  wchar_t typed[32] = {};
  GetWindowTextW(notes, typed, 32);
  EXPECT_STREQ(typed, L"a\t \r\n");
  // Nothing of the main window moved: no focus, no box, the same page.
  EXPECT_EQ(frame->manager().getFocus(), nullptr);
  EXPECT_TRUE(windowsOfClass(L"vlbox").empty());
  EXPECT_EQ(box(), nullptr);
  EXPECT_EQ(page(), 0);
}

}  // namespace
