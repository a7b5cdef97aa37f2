// Starting a program without this process's elevation: it borrows the token
// of the desktop's shell, the process that owns the shell window of this
// session, which runs with the user's ordinary rights.
#include <windows.h>

#include "utility/process.h"
#include "utility/system_library.h"

namespace utility::process {

namespace {

constexpr DWORD kAllTokenAccess = 0xF01FF;
constexpr size_t kMaxNoAdminCommandLine = 1022;

using CreateProcessWithTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                               LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

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

// The shell is found by its window rather than by the name of its program:
// any process can be named explorer.exe, and a search by name may meet one
// of another session or user.
HANDLE getExplorerToken() {
  HWND shell = GetShellWindow();
  DWORD processId = 0;
  if (!shell || !GetWindowThreadProcessId(shell, &processId) || processId == 0) return nullptr;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (!process) return nullptr;
  HANDLE token = duplicatePrimaryToken(process);
  CloseHandle(process);
  return token;
}

int runExeFileWithNoAdmin(const std::wstring& path, const std::optional<std::wstring>& params) {
  std::wstring line = params ? L"\"" + path + L"\" " + *params : path;
  if (line.size() > kMaxNoAdminCommandLine) return -1;
  HANDLE token = getExplorerToken();
  if (!token) return -1;

  int result = -1;
  // Looked up: Windows XP has no such call (advapi32 is an import, so loaded).
  auto createWithToken =
      loadedSystemFunction<CreateProcessWithTokenFn>(L"advapi32.dll", "CreateProcessWithTokenW");
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  // The program is named as well as put first on its command line: a bare
  // path with blanks in it must not be read as a shorter program's name.
  if (createWithToken && createWithToken(token, LOGON_WITH_PROFILE, path.c_str(), line.data(), 0,
                                         nullptr, nullptr, &startup, &info)) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    result = 0;
  }
  // Closing handles keeps the error of a failed start for the caller's log.
  DWORD error = GetLastError();
  CloseHandle(token);
  SetLastError(error);
  return result;
}

}  // namespace utility::process
