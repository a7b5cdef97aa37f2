#include "utility/usystem.h"

#include <objbase.h>
#include <shellapi.h>

#include <cwchar>

#include "utility/desktop_shell.h"
#include "utility/log.h"
#include "utility/system_library.h"

namespace utility::usystem {

WindowsVersion windowsVersion() {
  OSVERSIONINFOEXW extended = {};
  extended.dwOSVersionInfoSize = sizeof(extended);  // 284
  if (GetVersionExW((OSVERSIONINFOW*)&extended))
    return {extended.dwMajorVersion, extended.dwMinorVersion};
  OSVERSIONINFOW basic = {};
  basic.dwOSVersionInfoSize = sizeof(basic);  // 276
  if (GetVersionExW(&basic)) return {basic.dwMajorVersion, basic.dwMinorVersion};
  return {};
}

DWORD windowsMajorVersion() { return windowsVersion().major; }

bool isVistaOrLater() { return windowsMajorVersion() > 5; }

NativeMachine nativeMachine() {
  NativeMachine facts;
  using Wow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  USHORT process = 0;
  auto wow64Process2 = loadedSystemFunction<Wow64Process2Fn>(L"kernel32.dll", "IsWow64Process2");
  if (wow64Process2 && wow64Process2(GetCurrentProcess(), &process, &facts.machine) &&
      facts.machine != IMAGE_FILE_MACHINE_UNKNOWN) {
    facts.named = true;
    return facts;
  }
  SYSTEM_INFO info = {};
  using NativeInfoFn = void(WINAPI*)(SYSTEM_INFO*);
  auto native = loadedSystemFunction<NativeInfoFn>(L"kernel32.dll", "GetNativeSystemInfo");
  if (native)
    native(&info);
  else
    GetSystemInfo(&info);
  facts.architecture = info.wProcessorArchitecture;
  return facts;
}

bool isNative64(const NativeMachine& facts) {
  if (facts.named) return facts.machine != IMAGE_FILE_MACHINE_I386;
  return facts.architecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         facts.architecture == PROCESSOR_ARCHITECTURE_IA64 ||
         facts.architecture == PROCESSOR_ARCHITECTURE_ARM64;
}

bool isNative64() { return isNative64(nativeMachine()); }

bool isWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
  return wine;
}

bool makeSystemFolderCurrent() {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH && SetCurrentDirectoryW(folder);
}

void bringToFront(HWND window) {
  if (IsIconic(window)) SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
    ShowWindow(window, SW_SHOW);
    return;
  }
  SetForegroundWindow(window);
  BringWindowToTop(window);
  const UINT flags = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

namespace {

bool isAsciiLetterOrDigit(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

bool isHexDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

// Dot-separated labels of letters, digits and inner hyphens, 1 to 63 each.
bool isHostName(const std::wstring& host) {
  size_t start = 0;
  for (;;) {
    size_t end = host.find(L'.', start);
    std::wstring label = host.substr(start, end == std::wstring::npos ? end : end - start);
    if (label.empty() || label.size() > 63 || label.front() == L'-' || label.back() == L'-')
      return false;
    for (wchar_t c : label)
      if (!isAsciiLetterOrDigit(c) && c != L'-') return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

// "host" or "host:port", the port 1 to 65535; no user name, no IPv6 literal.
bool isAuthority(const std::wstring& authority) {
  size_t colon = authority.find(L':');
  if (colon == std::wstring::npos) return isHostName(authority);
  std::wstring port = authority.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  unsigned long value = 0;
  for (wchar_t c : port) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  return value >= 1 && value <= 65535 && isHostName(authority.substr(0, colon));
}

// Path, query and fragment: the characters RFC 3986 allows there but the
// single quote, and "%" only before two hexadecimal digits.
bool isPathQueryAndFragment(const std::wstring& rest) {
  static const wchar_t kAllowed[] = L"-._~!$&()*+,;=:@/?#";
  for (size_t at = 0; at < rest.size(); ++at) {
    wchar_t c = rest[at];
    if (c == L'%') {
      if (at + 2 >= rest.size() || !isHexDigit(rest[at + 1]) || !isHexDigit(rest[at + 2]))
        return false;
      at += 2;
    } else if (!isAsciiLetterOrDigit(c) && !wcschr(kAllowed, c)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool isWebAddress(const std::wstring& address) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    size_t length = wcslen(scheme);
    if (address.size() <= length || _wcsnicmp(address.c_str(), scheme, length) != 0) continue;
    size_t end = address.find_first_of(L"/?#", length);
    if (end == std::wstring::npos) end = address.size();
    return isAuthority(address.substr(length, end - length)) &&
           isPathQueryAndFragment(address.substr(end));
  }
  return false;
}

bool openUrl(const std::wstring& address) {
  if (!isWebAddress(address)) {
    LOG(L"not a web address, not opened: %s", address.c_str());
    return false;
  }
  return desktop_shell::open(address);
}

std::wstring newGuidString() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return {};
  wchar_t text[40] = {};
  _snwprintf(text, 39, L"%08X_%04X_%04x_%02X%02X_%02X%02X%02X%02X%02X%02X", (unsigned)guid.Data1,
           guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
           guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace utility::usystem
