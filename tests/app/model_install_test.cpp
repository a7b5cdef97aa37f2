// The silent installation with the real stand-in package: its command line,
// its messages through a real IPC window, the events, the time-out, a package
// that cannot start, ending the emulator and starting it again.
#include <gtest/gtest.h>
#include <windows.h>

#include "standins/standins.h"
#include "tests/app/model_fixture.h"
#include "utility/process.h"
#include "utility/text.h"
#include "utility/ufile.h"

using namespace model_testing;
using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

void placePackage(ModelFixture& f) {
  CopyFileW(standins::package(L"signed").c_str(),
            f.config().packagePath(f.model().m_installDir).c_str(), FALSE);
}

std::string firstAnalytics(ModelFixture& f) {
  auto got = f.analytics().waitFor([](const auto& r) { return !analyticsEvents(r).empty(); });
  auto events = analyticsEvents(got);
  return events.empty() ? "" : events.front();
}

}  // namespace

TEST(PackageInstall, SuccessRunsThePackageWithItsSwitchesAndReportsAtOnce) {
  ModelFixture f;
  f.model().m_language = L"kr";
  placePackage(f);
  auto reported = install(f, nullptr, 2);
  EXPECT_TRUE(f.installOk);
  // The reporter's cycle is ten minutes here: only the immediate batch can have come.
  EXPECT_EQ(reported, (std::vector<std::string>{"ad_install_success",
                                                "ad_downloader_full_duration duration=<int>"}));
  EXPECT_EQ(firstAnalytics(f), "ad_installSucess:100");

  std::wstring dir = f.model().m_installDir;
  std::string expectedLine = utility::wideToUtf8(
      L"\"" + f.config().packagePath(dir) +
      L"\" -silence -downloader -openid=100 -language=kr -path=\"" + dir + L"\"\r\n");
  EXPECT_EQ(readFile(dir + L"package_args.txt"), expectedLine);
  EXPECT_TRUE(utility::ufile::exists(dir + L"vdplayer.exe"));
  EXPECT_TRUE(utility::ufile::exists(dir + L"data"));
}

TEST(PackageInstall, PackageErrorCodeIsReported) {
  ModelFixture f;
  placePackage(f);
  auto reported = install(f, L"error:-5", 1);
  EXPECT_TRUE(f.installOk);  // the package ran; its message tells the failure
  EXPECT_EQ(reported, (std::vector<std::string>{"ad_install_fail failure_reason=errorcode_-5"}));
  EXPECT_EQ(firstAnalytics(f), "ad_installError:100");
}

TEST(PackageInstall, PackageThatCannotStartFailsTheInstallation) {
  ModelFixture f;  // no package in the folder
  auto reported = install(f, nullptr, 0);
  EXPECT_EQ(f.installsFinished, 1);
  EXPECT_FALSE(f.installOk);
  f.reporter().notify();
  auto got = f.collection().waitFor([](const auto& r) { return reportedEvents(r).size() >= 1; });
  EXPECT_EQ(reportedEvents(got),
            (std::vector<std::string>{"ad_install_fail failure_reason=package_error_2"}));
  EXPECT_EQ(firstAnalytics(f), "ad_installError:100_errCreateProcess_2");
}

TEST(PackageInstall, PackageStillRunningAfterTheWaitIsATimeout) {
  ModelFixture f(500);
  placePackage(f);
  install(f, L"delay:3000 silent", 0);
  EXPECT_TRUE(f.installOk);
  f.reporter().notify();
  auto got = f.collection().waitFor([](const auto& r) { return reportedEvents(r).size() >= 1; });
  EXPECT_EQ(reportedEvents(got), (std::vector<std::string>{"ad_install_fail failure_reason=timeout"}));
  EXPECT_EQ(firstAnalytics(f), "ad_installError:100_errWaitTimeout");
  Sleep(3000);  // lets the package end before its folder goes
}

// The system's taskkill is replaced by a recorder found in the current folder
// (Wine's own taskkill knows no /T), so the exact requests can be checked.
TEST(PackageInstall, EmulatorProcessesAreEndedByNameWithTheirChildren) {
  ModelFixture f;
  CopyFileW((testing_support::exeFolder() + L"taskkill_recorder.exe").c_str(),
            f.dir().file(L"taskkill.exe").c_str(), FALSE);
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(f.dir().path().c_str());
  f.model().killPlayerProcesses();
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(readFile(f.dir().file(L"taskkill_args.txt")),
            "\"taskkill\" /F /IM vdplayer.exe /T\r\n"
            "\"taskkill\" /F /IM vdmultiplayer.exe /T\r\n"
            "\"taskkill\" /F /IM vdmultiplayerex.exe /T\r\n"
            "\"taskkill\" /F /IM vdreport.exe /T\r\n");
}

TEST(PackageInstall, EmulatorStartsWithThePackageName) {
  ModelFixture f;
  std::wstring dir = f.model().m_installDir;
  CopyFileW(standins::player().c_str(), (dir + L"vdplayer.exe").c_str(), FALSE);
  f.model().m_package = L"pk123x";
  f.model().startPlayer();
  std::string args;
  pumpUntil([&] { return !(args = readFile(dir + L"vdplayer_args.txt")).empty(); }, 10000);
  EXPECT_NE(args.find("downloadpackage=pk123x|package=pk123x"), std::string::npos) << args;
  testing_support::endProcesses(L"vdplayer.exe");
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
    const std::wstring package = f.config().packagePath(f.model().m_installDir);
    const std::wstring other = f.dir().file(L"other.exe");
    CopyFileW(standins::package(L"unsigned").c_str(), other.c_str(), FALSE);
    EXPECT_FALSE(CopyFileW(other.c_str(), package.c_str(), FALSE));
    EXPECT_FALSE(MoveFileExW(other.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileExW(package.c_str(), other.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(DeleteFileW(package.c_str()));

    install(f, nullptr, 2);
    EXPECT_TRUE(f.installOk);
    EXPECT_TRUE(CopyFileW(other.c_str(), package.c_str(), FALSE));
  }
}
