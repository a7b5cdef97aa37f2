// Every failing call of the process, registry and file helpers leaves its line
// in the log, under the helper's own name and with the system's error code.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/reg_key.h"
#include "utility/ufile.h"

using testing_support::LogCapture;

TEST(HelperLogLines, FailingCallsLogWhatFailedAndWhy) {
  testing_support::TempDir dir;
  const std::wstring missing = dir.file(L"missing.exe");
  const std::wstring helper = testing_support::exeFolder() + L"exit_with.exe";
  const std::wstring aFile = dir.file(L"file.txt");
  testing_support::writeFile(aFile, "x");
  utility::RegKey openKey;  // a key that exists, without the value asked for
  ASSERT_EQ(openKey.RegRegOpen(HKEY_CURRENT_USER, "Software", KEY_READ), ERROR_SUCCESS);
  std::string value;

  struct Case {
    const char* what;
    std::function<bool()> call;  // true when the call reported success
    std::vector<std::pair<std::string, std::wstring>> lines;
  } cases[] = {
      {"a program that does not exist",
       [&] { return utility::process::create(missing, L"x", false) != nullptr; },
       {{"utility::process::create",
         L"createProcess filename = [" + missing + L"], param = [x], show = 0"},
        {"utility::process::create", L"createProcess failed!!! lastError = 2"}}},
      {"executing it",
       [&] { return utility::process::execute(missing, L"", false, 1000); },
       {{"utility::process::create",
         L"createProcess filename = [" + missing + L"], param = [], show = 0"},
        {"utility::process::create", L"createProcess failed!!! lastError = 2"},
        {"utility::process::execute", L"execute failed!!! last error = 2"}}},
      {"a program still running when the wait ends",
       [&] { return utility::process::execute(helper, L"0 3000", false, 300); },
       {{"utility::process::create",
         L"createProcess filename = [" + helper + L"], param = [0 3000], show = 0"},
        {"utility::process::execute", L"execute timeout!!!"}}},
      {"a registry key that does not exist",
       [&] {
         utility::RegKey key;
         return key.RegRegOpen(HKEY_CURRENT_USER, "Software\\VorlaneTests\\Nowhere", KEY_READ) ==
                ERROR_SUCCESS;
       },
       {{"utility::RegKey::RegRegOpen",
         L"open reg = Software\\VorlaneTests\\Nowhere, lastError = 2"}}},
      {"reading before any key is open",
       [&] { return utility::RegKey().RegRead("InstallDir", value) == ERROR_SUCCESS; },
       {{"utility::RegKey::RegRead", L"m_hKey is null, query reg = InstallDir"}}},
      {"a value that does not exist",
       [&] { return openKey.RegRead("NoSuchVorlaneValue", value) == ERROR_SUCCESS; },
       {{"utility::RegKey::RegRead", L"read reg lastError = 2"}}},
      {"a folder below a file",
       [&] { return utility::ufile::makeDir(aFile + L"\\sub"); },
       {{"utility::ufile::makeDir", L"make dir failed! error = 3."}}},
      {"moving a file that does not exist",
       [&] { return utility::ufile::moveFile(missing, aFile, MOVEFILE_REPLACE_EXISTING); },
       {{"utility::ufile::moveFile",
         L"move file from [ " + missing + L" ] to [ " + aFile +
             L" ] flag = 1 failed! error = 2."}}},
      {"removing a file that does not exist",
       [&] { return utility::ufile::removeFile(missing); },
       {{"utility::ufile::removeFile", L"removeFile file from [ " + missing + L" ] error = 2."}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    EXPECT_FALSE(c.call());
    std::vector<std::pair<std::string, std::wstring>> got;
    for (const auto& line : log.lines()) got.push_back({line.function, line.message});
    EXPECT_EQ(got, c.lines);
  }
}
