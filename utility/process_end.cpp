// Ending processes by the name of their executable, and the processes they
// started, as "taskkill /F /IM <name> /T" does, but without starting a
// program: a program looked up by name could be one planted beside the
// installer, and it would run with the installer's rights.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <vector>

#include "utility/log.h"
#include "utility/process.h"
#include "utility/text_compare.h"

namespace utility::process {
namespace {

struct Running {
  DWORD id;
  DWORD parent;
  std::wstring exe;
};

std::vector<Running> runningProcesses() {
  std::vector<Running> list;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return list;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
  CloseHandle(snapshot);
  return list;
}

// When the process started; zero when it cannot be asked.
ULONGLONG startTime(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  if (!process) return 0;
  FILETIME created{}, exited, kernel, user;
  ULONGLONG time = 0;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user))
    time = ((ULONGLONG)created.dwHighDateTime << 32) | created.dwLowDateTime;
  CloseHandle(process);
  return time;
}

bool contains(const std::vector<DWORD>& ids, DWORD id) {
  for (DWORD known : ids)
    if (known == id) return true;
  return false;
}

std::vector<DWORD> named(const std::vector<Running>& running, const std::wstring& exeName) {
  std::vector<DWORD> ids;
  for (const Running& p : running)
    if (p.id != GetCurrentProcessId() && sameTextIgnoringCase(p.exe, exeName)) ids.push_back(p.id);
  return ids;
}

// The processes named `exeName`, then (with `tree`) the processes those
// started, and theirs. Windows reuses process ids, so a child counts only
// when it started after its parent.
std::vector<DWORD> processesToEnd(const std::wstring& exeName, bool tree) {
  const std::vector<Running> running = runningProcesses();
  const DWORD self = GetCurrentProcessId();
  std::vector<DWORD> ids = named(running, exeName);
  for (size_t i = 0; tree && i < ids.size(); ++i) {
    ULONGLONG parentStart = startTime(ids[i]);
    for (const Running& p : running) {
      if (p.parent != ids[i] || p.id == self || contains(ids, p.id)) continue;
      if (parentStart != 0 && startTime(p.id) >= parentStart) ids.push_back(p.id);
    }
  }
  return ids;
}

}  // namespace

std::vector<DWORD> processIdsByName(const std::wstring& exeName) {
  return named(runningProcesses(), exeName);
}

int endProcessesByName(const std::wstring& exeName, bool tree) {
  int ended = 0;
  for (DWORD id : processesToEnd(exeName, tree)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
    if (process && TerminateProcess(process, 1)) ++ended;
    if (process) CloseHandle(process);
  }
  if (ended > 0) LOG(L"ended %d processes of %s", ended, exeName.c_str());
  return ended;
}

}  // namespace utility::process
