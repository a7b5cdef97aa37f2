// The silent installation with the real stand-in package, downloaded from a
// loopback host into its private folder as the window has it: its command
// line, its messages through a real IPC window, the events, the time-out, a
// package that cannot start, ending the emulator and starting it again, and
// nothing planted in reach of the installer ever running.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "app/app_impl.h"
#include "app/window_ipc.h"
#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "tests/support/log_capture.h"
#include "utility/process.h"
#include "utility/text.h"
#include "utility/ufile.h"

using namespace model_testing;
using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

// The signed package stand-in, downloaded and checked; its path.
std::wstring downloadPackage(ModelFixture& f) {
  scriptHosts({serveFile(standins::package(L"signed"))}, {});
  EXPECT_TRUE(download(f).ok);
  return f.model().packageFolder() + L"Vorlane.exe";
}

}  // namespace

TEST(PackageInstall, SuccessRunsThePackageWithItsSwitchesAndReportsAtOnce) {
  ModelFixture f;
  f.model().m_language = L"kr";
  const std::wstring package = downloadPackage(f);
  const std::wstring folder = f.model().packageFolder();
  Installed installed = install(f, nullptr, 2);
  EXPECT_TRUE(f.installOk);
  // The reporter's cycle is ten minutes here: only the immediate batch can have come.
  EXPECT_EQ(installed.reported, (std::vector<std::string>{
                                    "ad_install_success", "ad_downloader_full_duration duration=<int>"}));
  EXPECT_EQ(installed.firstAnalytics, "ad_installSucess:100");

  // The package ran from its private folder, which was its current folder
  // too and went with it; the switches still name the installation folder.
  std::wstring dir = f.model().m_installDir;
  std::string expectedLine = utility::wideToUtf8(
      L"\"" + package + L"\" -silence -downloader -openid=100 -language=kr -path=\"" + dir + L"\"\r\n");
  EXPECT_EQ(readFile(dir + L"package_args.txt"), expectedLine);
  EXPECT_EQ(readFile(dir + L"package_folder.txt"),
            utility::wideToUtf8(folder.substr(0, folder.size() - 1)) + "\r\n");
  EXPECT_TRUE(utility::ufile::exists(dir + L"vdplayer.exe"));
  EXPECT_TRUE(utility::ufile::exists(dir + L"data"));
  EXPECT_FALSE(utility::ufile::exists(folder));
  EXPECT_TRUE(f.model().packageFolder().empty());
}

TEST(PackageInstall, PackageErrorCodeIsReported) {
  ModelFixture f;
  downloadPackage(f);
  Installed installed = install(f, L"error:-5", 1);
  EXPECT_FALSE(f.installOk);  // the package ran, and its message tells the failure
  EXPECT_EQ(installed.reported,
            (std::vector<std::string>{"ad_install_fail failure_reason=errorcode_-5"}));
  EXPECT_EQ(installed.firstAnalytics, "ad_installError:100");
}

TEST(PackageInstall, PackageThatCannotStartFailsTheInstallation) {
  ModelFixture f;  // nothing was downloaded: there is no checked package
  Installed installed = install(f, nullptr, 1);
  EXPECT_EQ(f.installsFinished, 1);
  EXPECT_FALSE(f.installOk);
  EXPECT_EQ(installed.reported,
            (std::vector<std::string>{"ad_install_fail failure_reason=package_error_2"}));
  EXPECT_EQ(installed.firstAnalytics, "ad_installError:100_errCreateProcess_2");
}

TEST(PackageInstall, PackageStillRunningAfterTheWaitIsATimeout) {
  ModelFixture f(500);
  downloadPackage(f);
  Installed installed = install(f, L"delay:3000 silent", 1);
  EXPECT_FALSE(f.installOk);
  EXPECT_EQ(installed.reported, (std::vector<std::string>{"ad_install_fail failure_reason=timeout"}));
  EXPECT_EQ(installed.firstAnalytics, "ad_installError:100_errWaitTimeout");
  Sleep(3000);  // lets the package end before its folder goes
}

// Any process can post to the installer's window: a result counts only while
// the package runs, and only the first one.
TEST(PackageInstall, OnlyTheRunningPackagesFirstResultCounts) {
  ModelFixture f;
  downloadPackage(f);
  const size_t reportedBefore = reportedEvents(f.collection().received()).size();
  {
    InstallerWindow early(f.model());
    PostMessageW(early.window(), CAppImpl::kInstallError, (WPARAM)-1, 0);  // before the package
    pumpUntil([] { return false; }, 300);
  }
  // The stand-in posts 11124 with -5 and runs on for two seconds: a message
  // meanwhile, and one after the package ended, are not taken.
  SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", L"error:-5 after:2000");
  InstallerWindow window(f.model());
  runInstallTask(f.model());
  HWND target = window.window();
  std::thread late([target] {
    Sleep(1000);
    PostMessageW(target, CAppImpl::kInstallSuccess, 0, 0);
  });
  EXPECT_TRUE(pumpUntil([&] { return f.installsFinished > 0; }, 60000));
  late.join();
  EXPECT_FALSE(f.installOk);  // the failure it said first stands
  SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", nullptr);
  PostMessageW(target, CAppImpl::kInstallSuccess, 0, 0);
  pumpUntil([] { return false; }, 300);
  f.reporter().notify();
  f.collection().waitFor(
      [&](const auto& r) { return reportedEvents(r).size() > reportedBefore; }, 5000);
  Sleep(500);  // what else might come
  auto reported = reportedEvents(f.collection().received());
  EXPECT_EQ(std::vector<std::string>(reported.begin() + reportedBefore, reported.end()),
            (std::vector<std::string>{"ad_install_fail failure_reason=errorcode_-5"}));
}

// The installer never starts a program by its bare name: "taskkill" planted in
// the current folder, where a start by name looks first, never runs, and the
// emulator's processes end all the same.
TEST(PackageInstall, EmulatorProcessesAreEndedWithoutStartingAProgram) {
  ModelFixture f;
  const std::wstring planted = f.dir().file(L"taskkill.exe");
  CopyFileW((testing_support::exeFolder() + L"planted_program.exe").c_str(), planted.c_str(), FALSE);
  const std::wstring player = f.dir().file(L"vdplayer.exe");
  const std::wstring report = f.dir().file(L"vdreport.exe");
  for (const std::wstring& copy : {player, report})
    CopyFileW(standins::player().c_str(), copy.c_str(), FALSE);
  HANDLE started = utility::process::create(player, L"", false);
  HANDLE reporter = utility::process::create(report, L"", false);
  ASSERT_TRUE(started && reporter);

  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(f.dir().path().c_str());
  f.model().killPlayerProcesses();
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(reporter, 5000), WAIT_OBJECT_0);
  EXPECT_FALSE(utility::ufile::exists(f.dir().file(L"planted_ran.txt")));
  CloseHandle(started);
  CloseHandle(reporter);
}

// The package is downloaded, checked and run in its own folder: a program
// planted under its name in the installation folder never runs.
TEST(PackageInstall, NothingPlantedInTheInstallationFolderRuns) {
  ModelFixture f;
  const std::wstring dir = f.model().m_installDir;
  const std::wstring planted = f.config().packagePath(dir.substr(0, dir.size() - 1));
  ASSERT_TRUE(CopyFileW((testing_support::exeFolder() + L"planted_program.exe").c_str(),
                        planted.c_str(), FALSE));
  downloadPackage(f);
  install(f, nullptr, 2);
  EXPECT_TRUE(f.installOk);
  EXPECT_FALSE(utility::ufile::exists(dir + L"planted_ran.txt"));
  EXPECT_EQ(readFile(dir + L"package_args.txt").find(utility::wideToUtf8(planted)),
            std::string::npos);
}

// The emulator starts with the shell's token where the session has a shell
// window, else through the desktop's shell; never through an elevated start.
// (Under Wine neither path can show the token itself: it shows which path ran.)
TEST(PackageInstall, EmulatorStartsWithThePackageNameNeverElevated) {
  if (GetShellWindow()) GTEST_SKIP() << "the session has a shell window of its own";
  using SetShellWindowFn = BOOL(WINAPI*)(HWND);
  auto setShellWindow = reinterpret_cast<SetShellWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
  const struct {
    bool shellWindow;
    std::vector<std::wstring> logged;
  } cases[] = {
      {true, {L"run by amdin"}},
      {false, {L"run by amdin", L"run by amdin error: ", L"run by the desktop shell"}},
  };
  for (const auto& c : cases) {
    ModelFixture f;
    std::wstring dir = f.model().m_installDir;
    CopyFileW(standins::player().c_str(), (dir + L"vdplayer.exe").c_str(), FALSE);
    HWND shell = c.shellWindow ? CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                                 nullptr, nullptr, nullptr)
                               : nullptr;
    if (shell) {
      ASSERT_TRUE(setShellWindow(shell));
    }
    f.model().m_package = L"pk123x";
    testing_support::LogCapture log;
    f.model().startPlayer();
    std::string args;
    pumpUntil([&] { return !(args = readFile(dir + L"vdplayer_args.txt")).empty(); }, 10000);
    EXPECT_NE(args.find("downloadpackage=pk123x|package=pk123x"), std::string::npos) << args;
    // Each line as expected, up to the error code it may carry.
    std::vector<std::wstring> logged;
    for (const auto& line : log.lines()) {
      if (line.function != "CAppModel::runPlayer") continue;
      size_t i = logged.size();
      logged.push_back(i < c.logged.size() && line.message.rfind(c.logged[i], 0) == 0 ? c.logged[i]
                                                                                      : line.message);
    }
    EXPECT_EQ(logged, c.logged) << c.shellWindow;
    if (shell) DestroyWindow(shell);
    testing_support::endProcesses(L"vdplayer.exe");
  }
}

// The checked package stays open from its check until its process exists:
// nobody can replace, rename or delete it in between, whichever engine got it.
TEST(PackageInstall, CheckedPackageCannotBeReplacedUntilItRuns) {
  const std::string kNotFound = "{\"status\":404}";
  const std::string good = serveFile(standins::package(L"signed"));
  struct Case {
    const char* engine;
    std::vector<std::string> primary, spare;
  } cases[] = {
      {"WinINet", {good}, {}},
      {"libcurl", {kNotFound, good}, {kNotFound}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.engine);
    scriptHosts(c.primary, c.spare);
    ModelFixture f;
    ASSERT_TRUE(download(f).ok);
    const std::wstring package = f.model().packageFolder() + L"Vorlane.exe";
    const std::wstring other = f.dir().file(L"other.exe");
    CopyFileW(standins::package(L"unsigned").c_str(), other.c_str(), FALSE);
    EXPECT_FALSE(CopyFileW(other.c_str(), package.c_str(), FALSE));
    EXPECT_FALSE(MoveFileExW(other.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileExW(package.c_str(), other.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(DeleteFileW(package.c_str()));

    install(f, nullptr, 2);
    EXPECT_TRUE(f.installOk);
    EXPECT_FALSE(utility::ufile::exists(package));  // gone with its folder
  }
}
