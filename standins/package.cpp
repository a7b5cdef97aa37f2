// Stand-in for the installer package. It takes the switches
//   -silence -downloader -openid=ID [-language=CODE] -path="FOLDER"
// appends its command line to "package_args.txt" and its current folder to
// "package_folder.txt" in FOLDER (beside itself without one), installs the emulator stand-in (carried as resource 1) under
// the emulator's four names in FOLDER, posts its outcome to the installer's
// IPC window and exits.
//
// What it does is chosen by the environment variable VORLANE_STANDIN_PACKAGE,
// blank-separated words, inherited from whoever starts it:
//   (unset)      install, post 11125, exit 0
//   delay:MS     sleep MS milliseconds first (a package that runs long)
//   after:MS     sleep MS milliseconds after posting (a package that ends late)
//   error:CODE   install nothing, post 11124 with CODE in wParam, exit 1
//   installed    with error:, install the emulator all the same first
//   silent       install, post nothing, exit 0
//   exit:CODE    exit with CODE whatever happened
// Unless exit: says otherwise, an emulator that cannot be written makes the
// exit code 2 and a post that finds no IPC window 3.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <optional>
#include <string>

#include "standins/standin_files.h"

namespace {

// The class name of the installer's IPC window.
constexpr wchar_t kInstallerWindowClass[] = L"{EE8B94A3-D811-458B-A446-AF28FA10E845}";
constexpr UINT kInstallError = 11124;
constexpr UINT kInstallSuccess = 11125;
constexpr const wchar_t* kEmulatorNames[] = {L"vdplayer.exe", L"vdmultiplayer.exe",
                                             L"vdmultiplayerex.exe", L"vdreport.exe"};

struct Behaviour {
  DWORD delayMs = 0;
  DWORD afterMs = 0;
  std::optional<int> errorCode;
  bool silent = false;
  bool installedAnyway = false;
  std::optional<int> exitCode;
};

Behaviour readBehaviour() {
  Behaviour behaviour;
  wchar_t buffer[512] = {};
  DWORD length = GetEnvironmentVariableW(L"VORLANE_STANDIN_PACKAGE", buffer, 512);
  if (length == 0 || length >= 512) return behaviour;
  std::wstring text(buffer, length);
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L' ', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring word = text.substr(start, end - start);
    std::wstring value = word.substr(word.find(L':') + 1);
    if (word.starts_with(L"delay:")) behaviour.delayMs = wcstoul(value.c_str(), nullptr, 10);
    if (word.starts_with(L"after:")) behaviour.afterMs = wcstoul(value.c_str(), nullptr, 10);
    if (word.starts_with(L"error:")) behaviour.errorCode = (int)wcstol(value.c_str(), nullptr, 10);
    if (word.starts_with(L"exit:")) behaviour.exitCode = (int)wcstol(value.c_str(), nullptr, 10);
    if (word == L"silent") behaviour.silent = true;
    if (word == L"installed") behaviour.installedAnyway = true;
    start = end + 1;
  }
  return behaviour;
}

// The value of a switch such as -path=: up to the closing quote when quoted
// (a back-slash before it is part of the folder), else up to the next blank.
std::wstring switchValue(const std::wstring& line, const std::wstring& name) {
  size_t start = line.find(name);
  if (start == std::wstring::npos) return {};
  start += name.size();
  if (start < line.size() && line[start] == L'"') {
    size_t end = line.find(L'"', start + 1);
    return line.substr(start + 1, end == std::wstring::npos ? std::wstring::npos : end - start - 1);
  }
  return line.substr(start, line.find(L' ', start) - start);
}

bool installEmulator(const std::wstring& folder) {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || folder.empty()) return false;
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  bool ok = true;
  for (const wchar_t* name : kEmulatorNames)
    ok = standins::writeWholeFile(standins::joinPath(folder, name), bytes,
                                  SizeofResource(nullptr, resource)) && ok;
  return ok;
}

bool postToInstaller(UINT message, WPARAM wParam) {
  HWND window = FindWindowExW(nullptr, nullptr, kInstallerWindowClass, nullptr);
  return window && PostMessageW(window, message, wParam, 0);
}

// Appends `line` to the record `name` in `folder`, or beside itself without one.
void record(const std::wstring& folder, const wchar_t* name, const std::wstring& line) {
  if (folder.empty()) {
    standins::appendBesideSelf(name, line);
  } else {
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    standins::appendLine(standins::joinPath(folder, name), line);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring line = GetCommandLineW();
  std::wstring folder = switchValue(line, L"-path=");
  record(folder, L"package_args.txt", line);
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  record(folder, L"package_folder.txt", current);
  Behaviour behaviour = readBehaviour();
  if (behaviour.delayMs) Sleep(behaviour.delayMs);

  int exitCode = 0;
  bool install = !behaviour.errorCode || behaviour.installedAnyway;
  if (install && !installEmulator(folder)) exitCode = 2;
  if (behaviour.errorCode) {
    exitCode = postToInstaller(kInstallError, (WPARAM)*behaviour.errorCode) ? 1 : 3;
  } else if (!behaviour.silent && !postToInstaller(kInstallSuccess, 0)) {
    exitCode = 3;
  }
  if (behaviour.afterMs) Sleep(behaviour.afterMs);
  return behaviour.exitCode.value_or(exitCode);
}
