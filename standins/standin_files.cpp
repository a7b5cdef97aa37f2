#include "standins/standin_files.h"

#include <windows.h>

#include "utility/text.h"

namespace standins {

std::wstring ownPath() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), (DWORD)path.size());
  path.resize(length < path.size() ? length : 0);
  return path;
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L"\\" + name;
}

void appendBesideSelf(const std::wstring& name, const std::wstring& line) {
  std::wstring self = ownPath();
  appendLine(joinPath(self.substr(0, self.find_last_of(L"\\/") + 1), name), line);
}

void appendLine(const std::wstring& path, const std::wstring& line) {
  std::wstring text = line + L"\r\n";
  std::string utf8 = utility::wideToUtf8(text);
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), (DWORD)utf8.size(), &written, nullptr);
  CloseHandle(file);
}

bool writeWholeFile(const std::wstring& path, const void* bytes, unsigned long size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

}  // namespace standins
