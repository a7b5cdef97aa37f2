// Starting the emulator stand-in without elevation. Under Wine the shell's
// token is found and duplicated, but CreateProcessWithTokenW ignores it and
// starts the program with this process's own token, and there is no UAC: what
// these tests can show is the command line and that the program starts, not
// that it runs un-elevated.
//
// Where the shell is: Windows runs it from the Windows folder, and so does
// 32-bit Wine as seen from a 32-bit process (which cannot read a 64-bit
// process's modules and falls back to the bare name "explorer.exe"). 64-bit
// Wine runs it as C:\windows\system32\explorer.exe, a full path that a 64-bit
// process reads and that the shell rule does not take. There these tests put
// an idle stand-in shell in the Windows folder for their duration.
#include <gtest/gtest.h>

#include "standins/standins.h"
#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/text.h"

namespace process = utility::process;
using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

std::wstring windowsFolderShell() {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length) + L"\\explorer.exe";
}

// Makes sure a process the shell rule takes runs while the tests run: when none
// does, an idle program runs as explorer.exe from the Windows folder, and the
// file it replaced comes back at the end.
class ShellForTheRule : public ::testing::Environment {
 public:
  void SetUp() override {
    HANDLE token = process::getExplorerToken();
    if (token) {
      CloseHandle(token);
      return;
    }
    const std::wstring shell = windowsFolderShell();
    saved_ = shell + L".saved";
    if (!MoveFileExW(shell.c_str(), saved_.c_str(), MOVEFILE_REPLACE_EXISTING)) saved_.clear();
    std::wstring idle = testing_support::exeFolder() + L"exit_with.exe";
    ASSERT_TRUE(CopyFileW(idle.c_str(), shell.c_str(), FALSE));
    std::wstring line = L"\"" + shell + L"\" 0 600000";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessW(shell.c_str(), line.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &standIn_));
    CloseHandle(standIn_.hThread);
  }
  void TearDown() override {
    if (!standIn_.hProcess) return;
    TerminateProcess(standIn_.hProcess, 0);
    WaitForSingleObject(standIn_.hProcess, 5000);
    CloseHandle(standIn_.hProcess);
    const std::wstring shell = windowsFolderShell();
    if (saved_.empty()) DeleteFileW(shell.c_str());
    else MoveFileExW(saved_.c_str(), shell.c_str(), MOVEFILE_REPLACE_EXISTING);
  }

 private:
  PROCESS_INFORMATION standIn_ = {};
  std::wstring saved_;
};

const auto* const kShell = ::testing::AddGlobalTestEnvironment(new ShellForTheRule);

class NoAdminStart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW(standins::player().c_str(), player_.c_str(), FALSE));
  }
  // Closes every player window that was opened.
  void TearDown() override {
    pumpUntil([] {
      HWND window = FindWindowW(L"VorlaneStandInPlayer", nullptr);
      if (window) PostMessageW(window, WM_CLOSE, 0, 0);
      return window == nullptr;
    }, 10000);
  }
  // The command lines the player recorded, waiting until there are `count`.
  std::vector<std::string> recorded(size_t count) {
    std::vector<std::string> lines;
    pumpUntil([&] {
      lines.clear();
      std::string text = readFile(dir_.file(L"vdplayer_args.txt"));
      for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
           start = end + 2)
        lines.push_back(text.substr(start, end - start));
      return lines.size() >= count;
    }, 10000);
    return lines;
  }

  testing_support::TempDir dir_;
  std::wstring player_ = dir_.file(L"vdplayer.exe");
};

}  // namespace

TEST(ExplorerToken, IsAPrimaryTokenOfTheShell) {
  HANDLE token = process::getExplorerToken();
  ASSERT_NE(token, nullptr);
  TOKEN_TYPE type = TokenImpersonation;
  DWORD size = 0;
  EXPECT_TRUE(GetTokenInformation(token, TokenType, &type, sizeof(type), &size));
  EXPECT_EQ(type, TokenPrimary);
  CloseHandle(token);
}

TEST_F(NoAdminStart, CommandLineIsQuotedPathAndParametersOrBarePath) {
  std::string path = utility::wideToUtf8(player_);
  struct Case {
    std::optional<std::wstring> params;
    std::string line;
  } cases[] = {
      {L"downloadpackage=pk123x|package=pk123x",
       "\"" + path + "\" downloadpackage=pk123x|package=pk123x"},
      {L"", "\"" + path + "\" "},  // empty parameters still count as given
      {std::nullopt, path},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    ASSERT_EQ(process::runExeFileWithNoAdmin(player_, cases[i].params), 0);
    std::vector<std::string> lines = recorded(i + 1);  // one start at a time: order is known
    ASSERT_EQ(lines.size(), i + 1);
    EXPECT_EQ(lines[i], cases[i].line);
  }
}

TEST_F(NoAdminStart, LineOfUpTo1022CharactersStartsLongerOrMissingDoesNot) {
  size_t room = 1022 - (player_.size() + 3);  // two quotes and the blank
  EXPECT_EQ(process::runExeFileWithNoAdmin(player_, std::wstring(room, L'x')), 0);
  std::vector<std::string> lines = recorded(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 1022u);

  EXPECT_EQ(process::runExeFileWithNoAdmin(player_, std::wstring(room + 1, L'x')), -1);
  EXPECT_EQ(process::runExeFileWithNoAdmin(dir_.file(L"missing.exe"), L""), -1);
  pumpUntil([] { return false; }, 500);
  EXPECT_EQ(recorded(1).size(), 1u);
}
