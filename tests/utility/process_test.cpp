#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "utility/process.h"

namespace process = utility::process;

namespace {

std::wstring helper() { return testing_support::exeFolder() + L"exit_with.exe"; }

}  // namespace

TEST(Process, CommandLineQuotesTheFileAndAppendsParametersAsGiven) {
  EXPECT_EQ(process::commandLine(L"C:\\a b\\x.exe", L""), L"\"C:\\a b\\x.exe\"");
  EXPECT_EQ(process::commandLine(L"taskkill", L"/F /IM vdplayer.exe /T"),
            L"\"taskkill\" /F /IM vdplayer.exe /T");
}

TEST(Process, ExecuteResultsByExitCodeWaitAndTimeout) {
  struct Case {
    const wchar_t* params;
    DWORD waitMs;
    bool expected;
  } cases[] = {
      {L"0", 10000, true},
      {L"3", 10000, false},
      {L"-1", 10000, false},
      {L"5", 0, true},          // not waited for: started is enough
      {L"0 2000", 300, false},  // still running when the wait ends
  };
  for (const auto& c : cases)
    EXPECT_EQ(process::execute(helper(), c.params, false, c.waitMs), c.expected) << c.params;
}

TEST(Process, CreateGivesHandleAndIdOrNothing) {
  DWORD id = 0;
  HANDLE process = process::create(helper(), L"7", false, &id);
  ASSERT_NE(process, nullptr);
  EXPECT_NE(id, 0u);
  ASSERT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  EXPECT_EQ(code, 7u);
  CloseHandle(process);

  EXPECT_EQ(process::create(testing_support::exeFolder() + L"missing.exe", L"", false), nullptr);
  EXPECT_FALSE(process::execute(testing_support::exeFolder() + L"missing.exe", L"", false, 0));
}

namespace {

// A copy of the sleeping helper under `name` in `folder`.
std::wstring sleeperNamed(const testing_support::TempDir& folder, const wchar_t* name) {
  std::wstring path = folder.file(name);
  CopyFileW(helper().c_str(), path.c_str(), FALSE);
  return path;
}

bool stillRuns(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

}  // namespace

TEST(Process, EndByNameEndsTheNamedProcessesAndWhatTheyStarted) {
  testing_support::TempDir folder;
  const std::wstring named = sleeperNamed(folder, L"vdplayer.exe");
  const std::wstring child = sleeperNamed(folder, L"child.exe");
  const std::wstring other = sleeperNamed(folder, L"other.exe");
  // vdplayer.exe starts child.exe; other.exe is no one's child.
  DWORD parentId = 0;
  HANDLE parent = process::create(named, L"0 60000 " + child + L" 0 60000", false, &parentId);
  HANDLE unrelated = process::create(other, L"0 60000", false);
  ASSERT_TRUE(parent && unrelated);
  HANDLE started = nullptr;
  testing_support::pumpUntil(
      [&] {
        DWORD childId = testing_support::processIdOf(L"child.exe");
        if (childId) started = OpenProcess(SYNCHRONIZE, FALSE, childId);
        return started != nullptr;
      },
      10000);
  ASSERT_NE(started, nullptr);

  // Its console host may be among what it started.
  EXPECT_GE(process::endProcessesByName(L"VDPlayer.EXE", true), 2);
  EXPECT_EQ(WaitForSingleObject(parent, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(stillRuns(unrelated));
  EXPECT_EQ(process::endProcessesByName(L"vdplayer.exe", true), 0);  // nothing left of it

  TerminateProcess(unrelated, 0);
  for (HANDLE h : {parent, unrelated, started}) CloseHandle(h);
}
