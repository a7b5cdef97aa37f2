// Starting the emulator stand-in without elevation. Under Wine the shell's
// token is found and duplicated, but CreateProcessWithTokenW ignores it and
// starts the program with this process's own token, and there is no UAC: what
// these tests can show is the command line and that the program starts, not
// that it runs un-elevated.
//
// The shell is the process that owns the session's shell window. Wine's
// desktop sets none; where none is set these tests make a window of their own
// the shell window for their duration, so that the shell is this program.
#include <gtest/gtest.h>

#include "standins/standins.h"
#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/text.h"

namespace process = utility::process;
using testing_support::pumpUntil;
using testing_support::readFile;

namespace {

class ShellWindowForTheTests : public ::testing::Environment {
 public:
  void SetUp() override {
    if (GetShellWindow()) return;
    using SetShellWindowFn = BOOL(WINAPI*)(HWND);
    auto setShellWindow = reinterpret_cast<SetShellWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_TRUE(setShellWindow && setShellWindow(window_));
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);  // the session has no shell window again
    window_ = nullptr;
  }
  bool ownsTheShellWindow() const { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
};

auto* const kShell = static_cast<ShellWindowForTheTests*>(
    ::testing::AddGlobalTestEnvironment(new ShellWindowForTheTests));

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

TEST(ExplorerToken, IsAPrimaryTokenOfTheShellWindowsProcess) {
  HANDLE token = process::getExplorerToken();
  ASSERT_NE(token, nullptr);
  TOKEN_TYPE type = TokenImpersonation;
  DWORD size = 0;
  EXPECT_TRUE(GetTokenInformation(token, TokenType, &type, sizeof(type), &size));
  EXPECT_EQ(type, TokenPrimary);
  CloseHandle(token);
}

// A program merely named like the shell is not the shell: without a shell
// window there is no token, whatever runs as explorer.exe.
TEST(ExplorerToken, NoShellWindowNoToken) {
  if (!kShell->ownsTheShellWindow()) GTEST_SKIP() << "the session has a shell of its own";
  testing_support::TempDir dir;
  std::wstring named = dir.file(L"explorer.exe");
  ASSERT_TRUE(CopyFileW((testing_support::exeFolder() + L"exit_with.exe").c_str(), named.c_str(),
                        FALSE));
  HANDLE impostor = process::create(named, L"0 60000", false);
  ASSERT_NE(impostor, nullptr);
  kShell->TearDown();
  EXPECT_EQ(GetShellWindow(), nullptr);
  EXPECT_EQ(process::getExplorerToken(), nullptr);
  kShell->SetUp();
  TerminateProcess(impostor, 0);
  CloseHandle(impostor);
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
  // What the player recorded is the 1022-character line alone: neither the
  // longer line nor the missing program started (Wine's start through a token
  // may record that one start twice).
  for (const std::string& line : recorded(1)) EXPECT_EQ(line, lines[0]);
}
