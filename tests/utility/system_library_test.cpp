// DLLs are loaded from the system folder only: a delay-loaded import that the
// system folder lacks is never looked for beside the program (where anyone
// can leave a DLL of that name); the process ends and says why instead.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/ufile.h"

using testing_support::TempDir;

TEST(SystemLibrary, ADelayedImportMissingFromTheSystemFolderIsNeverLookedForBesideTheProgram) {
  for (const wchar_t* search : {L"locked", L"unlocked"}) {
    SCOPED_TRACE(testing::Message() << search);
    TempDir dir;
    const std::wstring program = dir.file(L"delayed_import_user.exe");
    ASSERT_TRUE(CopyFileW((testing_support::exeFolder() + L"delayed_import_user.exe").c_str(),
                          program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(L"" VORLANE_PLANTED_LIBRARY, dir.file(L"vorlane_marker.dll").c_str(), FALSE));
    const std::wstring record = dir.file(L"planted_loads.txt");
    const std::wstring log = dir.file(L"log.txt");
    SetEnvironmentVariableW(L"VORLANE_PLANTED_RECORD", record.c_str());
    HANDLE process = utility::process::create(program, L"\"" + log + L"\" " + search, false);
    SetEnvironmentVariableW(L"VORLANE_PLANTED_RECORD", nullptr);
    ASSERT_NE(process, nullptr);
    DWORD waited = WaitForSingleObject(process, 30000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process, 1);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);

    EXPECT_EQ(exitCode, (DWORD)ERROR_MOD_NOT_FOUND);
    EXPECT_FALSE(utility::ufile::exists(record)) << testing_support::readFile(record);
    std::string written = testing_support::readFile(log);
    EXPECT_NE(written.find("system library vorlane_marker.dll not loaded from the system folder"),
              std::string::npos)
        << written;
    EXPECT_EQ(written.find("the marker answered"), std::string::npos) << written;
  }
}
