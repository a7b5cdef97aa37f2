// Starting a program without this process's elevation: it borrows the token of
// the desktop shell, which runs with the user's ordinary rights.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "utility/process.h"

namespace utility::process {

namespace {

constexpr DWORD kAllProcessAccess = 0x1FFFFF;
constexpr DWORD kAllTokenAccess = 0xF01FF;
constexpr size_t kMaxNoAdminCommandLine = 1022;

using CreateProcessWithTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                               LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

std::wstring shellPath() {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\explorer.exe";
}

// The full path of the process's first module; empty when it cannot be read
// (for instance a 64-bit process seen from this 32-bit one).
std::wstring firstModulePath(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return {};
  HMODULE module = nullptr;
  DWORD needed = 0;
  wchar_t path[MAX_PATH] = {};
  if (K32EnumProcessModules(process, &module, sizeof(module), &needed))
    K32GetModuleFileNameExW(process, module, path, MAX_PATH);
  CloseHandle(process);
  return path;
}

HANDLE duplicatePrimaryToken(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_DUPLICATE, &token)) return nullptr;
  HANDLE primary = nullptr;
  if (!DuplicateTokenEx(token, kAllTokenAccess, nullptr, SecurityImpersonation, TokenPrimary,
                        &primary))
    primary = nullptr;
  CloseHandle(token);
  return primary;
}

}  // namespace

HANDLE getExplorerToken() {
  const std::wstring shell = shellPath();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
  HANDLE token = nullptr;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    HANDLE process = OpenProcess(kAllProcessAccess, FALSE, entry.th32ProcessID);
    if (!process) continue;
    std::wstring image = firstModulePath(entry.th32ProcessID);
    if (image.empty()) image = entry.szExeFile;
    // The first shell found is taken even if its token cannot be had.
    bool isShell = image == shell || image == L"explorer.exe";
    if (isShell) token = duplicatePrimaryToken(process);
    CloseHandle(process);
    if (isShell) break;
  }
  CloseHandle(snapshot);
  return token;
}

int runExeFileWithNoAdmin(const std::wstring& path, const std::optional<std::wstring>& params) {
  std::wstring line = params ? L"\"" + path + L"\" " + *params : path;
  if (line.size() > kMaxNoAdminCommandLine) return -1;
  HANDLE token = getExplorerToken();
  if (!token) return -1;

  int result = -1;
  HMODULE advapi = LoadLibraryW(L"ADVAPI32.dll");
  auto createWithToken = advapi ? reinterpret_cast<CreateProcessWithTokenFn>(reinterpret_cast<void*>(
                                      GetProcAddress(advapi, "CreateProcessWithTokenW")))
                                : nullptr;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (createWithToken && createWithToken(token, LOGON_WITH_PROFILE, nullptr, line.data(), 0,
                                         nullptr, nullptr, &startup, &info)) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    result = 0;
  }
  // Closing handles keeps the error of a failed start for the caller's log.
  DWORD error = GetLastError();
  CloseHandle(token);
  if (advapi) FreeLibrary(advapi);
  SetLastError(error);
  return result;
}

}  // namespace utility::process
