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
