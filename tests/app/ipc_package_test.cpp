// The package stand-in against a real IPC window: what the installer will see
// when it runs a downloaded package.
#include <gtest/gtest.h>

#include "app/app_impl.h"
#include "app/window_ipc.h"
#include "standins/standins.h"
#include "tests/app/ipc_recorder.h"
#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/text.h"

using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

const wchar_t* kEmulatorNames[] = {L"vdplayer.exe", L"vdmultiplayer.exe", L"vdmultiplayerex.exe",
                                   L"vdreport.exe"};

class StandInPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW(standins::packageProgram().c_str(), package_.c_str(), FALSE));
    ASSERT_TRUE(server_.open(kInstanceGuid, &recorder_));
  }
  void TearDown() override { SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", nullptr); }

  // The switches as the installer builds them; the folder ends with a back-slash.
  std::wstring switches() const {
    return L"-silence -downloader -openid=100 -language=kr -path=\"" + installDir_ + L"\"";
  }
  // Starts the package with `behaviour` in its environment; the process handle.
  HANDLE start(const wchar_t* behaviour) {
    SetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", behaviour);
    return utility::process::create(package_, switches(), false);
  }
  // Pumps until the package has ended and its posts have been handled.
  DWORD finish(HANDLE process) {
    pumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000);
    pumpUntil([] { return false; }, 200);
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
  }
  bool emulatorInstalled() const {
    std::string player = readFile(standins::player());
    for (const wchar_t* name : kEmulatorNames)
      if (player.empty() || readFile(installDir_ + name) != player) return false;
    return true;
  }

  testing_support::TempDir dir_;
  std::wstring package_ = dir_.file(L"Vorlane.exe");
  std::wstring installDir_ = dir_.file(L"Vorlane9\\");
  ipc_testing::Recorder recorder_;
  utility::WindowIPC server_;
};

}  // namespace

TEST_F(StandInPackage, OutcomeChosenByEnvironment) {
  struct Case {
    const wchar_t* behaviour;
    UINT message;  // 0: none posted
    int wParam;
    bool installs;
    DWORD exitCode;
  } cases[] = {
      {nullptr, 11125, 0, true, 0},
      {L"error:-5", 11124, -5, false, 1},
      {L"silent", 0, 0, true, 0},
      {L"exit:9", 11125, 0, true, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour ? c.behaviour : L"(default)");
    testing_support::TempDir fresh;
    installDir_ = fresh.path() + L"\\Vorlane9\\";
    recorder_.received.clear();
    HANDLE process = start(c.behaviour);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(finish(process), c.exitCode);
    ASSERT_EQ(recorder_.received.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(recorder_.received[0].message, c.message);
      EXPECT_EQ((int)recorder_.received[0].wParam, c.wParam);
    }
    EXPECT_EQ(emulatorInstalled(), c.installs);
    // Every run records its command line in the folder it was given.
    EXPECT_EQ(readFile(installDir_ + L"package_args.txt"),
              utility::wideToUtf8(L"\"" + package_ + L"\" " + switches() + L"\r\n"));
  }
}

TEST_F(StandInPackage, DelayKeepsItRunningBeforeItReports) {
  HANDLE process = start(L"delay:1500");
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(WaitForSingleObject(process, 500), (DWORD)WAIT_TIMEOUT);
  EXPECT_TRUE(recorder_.received.empty());
  EXPECT_EQ(finish(process), 0u);
  EXPECT_EQ(recorder_.count(11125), 1u);
  EXPECT_TRUE(emulatorInstalled());
}
