// A DLL planted beside the installer under the name of a system DLL. If it is
// ever loaded, it notes its own path in the file VORLANE_PLANTED_RECORD names.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t record[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"VORLANE_PLANTED_RECORD", record, MAX_PATH)) return TRUE;
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH - 2);
  path[length++] = L'\r';
  path[length++] = L'\n';
  HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  DWORD written = 0;
  WriteFile(file, path, length * sizeof(wchar_t), &written, nullptr);
  CloseHandle(file);
  return TRUE;
}
