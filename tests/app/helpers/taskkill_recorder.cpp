// Stands in for the system's taskkill in the tests: records each command line
// in "taskkill_args.txt" beside itself and succeeds.
#include <windows.h>

#include <string>

int wmain() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  path = path.substr(0, path.rfind(L'\\') + 1) + L"taskkill_args.txt";
  std::string line;
  for (const wchar_t* c = GetCommandLineW(); *c; ++c) line += (char)*c;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  line += "\n";
  WriteFile(file, line.data(), (DWORD)line.size(), &written, nullptr);
  CloseHandle(file);
  return 0;
}
