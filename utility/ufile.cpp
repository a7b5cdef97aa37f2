#include "utility/ufile.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "utility/log.h"
#include "utility/system_library.h"

namespace utility::ufile {

bool exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

bool makeDir(const std::wstring& folder) {
  int error = SHCreateDirectory(nullptr, folder.c_str());
  if (error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS) return true;
  LOG(L"make dir failed! error = %d.", error);
  return false;
}

bool moveFile(const std::wstring& from, const std::wstring& to, DWORD flags) {
  if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
  LOG(L"move file from [ %s ] to [ %s ] flag = %d failed! error = %d.", from.c_str(), to.c_str(),
      (int)flags, (int)GetLastError());
  return false;
}

bool removeFile(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return true;
  LOG(L"removeFile file from [ %s ] error = %d.", path.c_str(), (int)GetLastError());
  return false;
}

std::wstring fileName(const std::wstring& path, bool keepExtension) {
  size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) slash = path.rfind(L'/');
  if (slash == std::wstring::npos) return {};
  std::wstring name = path.substr(slash + 1);
  if (!keepExtension) {
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
  }
  return name;
}

std::wstring appDataDir() {
  wchar_t buffer[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buffer);
  return buffer;
}

std::wstring localTempFolder() {
  // Looked up at run time: systems before Vista have no known folders.
  using KnownFolderPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  auto knownFolderPath =
      loadedSystemFunction<KnownFolderPathFn>(L"shell32.dll", "SHGetKnownFolderPath");
  std::wstring folder;
  PWSTR path = nullptr;
  if (knownFolderPath && SUCCEEDED(knownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) &&
      path) {
    folder = std::wstring(path) + L"\\Temp\\";
  }
  CoTaskMemFree(path);
  return folder;
}

std::wstring systemTempFolder() {
  // The system's folder rather than the user's: on a terminal server
  // GetWindowsDirectory names a folder of the user's own.
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\Temp\\";
}

std::wstring finalPathOf(HANDLE handle) {
  using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
  auto finalPath = loadedSystemFunction<FinalPathFn>(L"kernel32.dll", "GetFinalPathNameByHandleW");
  if (!finalPath) return {};
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  if (length >= path.size()) {
    path.resize(length + 1);
    length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  }
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace utility::ufile
