#include "utility/process.h"

#include "utility/log.h"

namespace utility::process {

std::wstring commandLine(const std::wstring& file, const std::wstring& params) {
  std::wstring line = L"\"" + file + L"\"";
  if (!params.empty()) line += L" " + params;
  return line;
}

HANDLE create(const std::wstring& file, const std::wstring& params, bool show, DWORD* processId) {
  LOG(L"createProcess filename = [%s], param = [%s], show = %d", file.c_str(), params.c_str(),
      show ? 1 : 0);
  std::wstring line = commandLine(file, params);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show ? SW_SHOW : SW_HIDE;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &startup, &info)) {
    LOG(L"createProcess failed!!! lastError = %d", (int)GetLastError());
    return nullptr;
  }
  CloseHandle(info.hThread);
  if (processId) *processId = info.dwProcessId;
  return info.hProcess;
}

bool execute(const std::wstring& file, const std::wstring& params, bool show, DWORD waitMs) {
  HANDLE process = create(file, params, show);
  if (!process) {
    LOG(L"execute failed!!! last error = %d", (int)GetLastError());
    return false;
  }
  bool ok = true;
  if (waitMs != 0) {
    switch (WaitForSingleObject(process, waitMs)) {
      case WAIT_OBJECT_0: {
        DWORD exitCode = (DWORD)-1;
        GetExitCodeProcess(process, &exitCode);
        LOG(L"execute exitcode = %d lastError = %d", (int)exitCode, (int)GetLastError());
        ok = exitCode == 0;
        break;
      }
      case WAIT_TIMEOUT:
        LOG(L"execute timeout!!!");
        ok = false;
        break;
      default:
        LOG(L"execute failed!!! lastError = %d", (int)GetLastError());
        ok = false;
        break;
    }
  }
  CloseHandle(process);
  return ok;
}

}  // namespace utility::process
