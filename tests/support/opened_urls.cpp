#include "tests/support/opened_urls.h"

#include <windows.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace testing_support {
namespace {

std::vector<std::string> recorded() {
  std::vector<std::string> urls;
  std::istringstream lines(readFile(L"" VORLANE_OPENED_URLS_FILE));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) urls.push_back(line);
  }
  return urls;
}

}  // namespace

OpenedUrls::OpenedUrls() {
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", &key) == ERROR_SUCCESS) {
    const wchar_t browser[] = L"" VORLANE_URL_RECORDER;
    RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser),
                   sizeof(browser));
    RegCloseKey(key);
  }
  writeFile(L"" VORLANE_OPENED_URLS_FILE, "");
}

std::vector<std::string> OpenedUrls::list(size_t atLeast, unsigned timeoutMs) const {
  DWORD start = GetTickCount();
  std::vector<std::string> urls = recorded();
  while (urls.size() < atLeast && GetTickCount() - start < timeoutMs) {
    Sleep(50);
    urls = recorded();
  }
  return urls;
}

}  // namespace testing_support
