#include "tests/support/test_support.h"

#include <shellapi.h>

#include <atomic>
#include <cstdlib>
#include <vector>

#include "utility/process.h"

namespace testing_support {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  path_ = std::wstring(base) + L"vorlane_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(++counter);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
  std::wstring from = path_ + L'\0';  // the shell wants a double-terminated list
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

std::wstring TempDir::file(const std::wstring& name) const { return path_ + L"\\" + name; }

std::string readFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

std::wstring exeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

namespace {

std::wstring windowsPath(const char* unixStylePath) {
  std::wstring path;
  for (const char* c = unixStylePath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

}  // namespace

std::wstring junctionedFolder() { return windowsPath(VORLANE_JUNCTION "/link") + L"\\"; }
std::wstring junctionTarget() { return windowsPath(VORLANE_JUNCTION "/target") + L"\\"; }
std::wstring leftoverLinkParent() { return windowsPath(VORLANE_JUNCTION "/leftovers") + L"\\"; }
std::wstring leftoverLinkTarget() {
  return windowsPath(VORLANE_JUNCTION "/leftover_target") + L"\\";
}
std::wstring leftoverLinks() { return windowsPath(VORLANE_JUNCTION "/leftover_links") + L"\\"; }
std::wstring leftoverOutside() {
  return windowsPath(VORLANE_JUNCTION "/leftover_outside") + L"\\";
}
std::wstring linkedFile() { return windowsPath(VORLANE_JUNCTION "/linked_file"); }
std::wstring linkedFileTarget() { return windowsPath(VORLANE_JUNCTION "/files/victim"); }

int testServerPort(const char* name) {
  std::string variable = std::string("VORLANE_TEST_") + name + "_PORT";
  char value[16] = {};
  if (!GetEnvironmentVariableA(variable.c_str(), value, sizeof(value))) return 0;
  return atoi(value);
}

std::wstring testServerUrl(const char* name) {
  return L"http://127.0.0.1:" + std::to_wstring(testServerPort(name));
}

void endProcesses(const wchar_t* exeName) { utility::process::endProcessesByName(exeName, false); }

DWORD processIdOf(const wchar_t* exeName) {
  std::vector<DWORD> ids = utility::process::processIdsByName(exeName);
  return ids.empty() ? 0 : ids.front();
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

}  // namespace testing_support
