// Questions to and small requests of the operating system.
#pragma once
#include <windows.h>

#include <string>

namespace utility::usystem {

struct WindowsVersion {
  DWORD major = 0;
  DWORD minor = 0;
};
// The version GetVersionExW reports (extended record first, then the basic
// one); zeros when both are refused.
WindowsVersion windowsVersion();
DWORD windowsMajorVersion();
bool isVistaOrLater();
// The native processor is x64 or Itanium (a 32-bit process on 64-bit Windows).
bool isNative64();
// The program runs under Wine, which keeps no owners or ACLs of files.
bool isWine();
// Restores a minimised window and brings it in front of the others.
void bringToFront(HWND window);
// An "http://" or "https://" address (the scheme in any letter case) with a
// host after it and no control characters: the only kind openUrl opens.
bool isWebAddress(const std::wstring& address);
// Opens a web page as the logged-on user, through the desktop's shell (never
// with this process's rights). Anything but a web address is refused and
// logged: a loose language table or skin must not make it start a program.
// UI thread.
bool openUrl(const std::wstring& address);
// A new GUID as "XXXXXXXX_XXXX_xxxx_XXXX_XXXXXXXXXXXX"; empty on failure.
std::wstring newGuidString();

}  // namespace utility::usystem
