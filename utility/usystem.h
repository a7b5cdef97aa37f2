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
// What the system says of its own processor.
struct NativeMachine {
  bool named = false;    // IsWow64Process2 named the native machine (Windows 10 1511 on)
  USHORT machine = 0;    // that machine (IMAGE_FILE_MACHINE_*)
  WORD architecture = 0; // else GetNativeSystemInfo's processor architecture
};
NativeMachine nativeMachine();
// 64-bit Windows: a native machine other than x86 where the system names it
// (ARM64 Windows tells an x86 process's GetNativeSystemInfo "x86"), else an
// x64, Itanium or ARM64 processor. A 32-bit and a 64-bit build of the program
// take the same answer from the same system.
bool isNative64(const NativeMachine& facts);
bool isNative64();
// The program runs under Wine, which keeps no owners or ACLs of files.
bool isWine();
// Makes the system folder the process's current folder, so that nothing is
// looked up relative to the folder the program was started from (Downloads,
// where anyone can leave files). False when the system refused.
bool makeSystemFolderCurrent();
// Restores a minimised window and brings it in front of the others.
void bringToFront(HWND window);
// A whole, plain "http://" or "https://" address (the scheme in any letter
// case): a host name (or IPv4 address) with an optional port, then only the
// characters a URL's path, query and fragment may hold, "%" escapes whole:
// no user name, quotes, blanks, back-slashes, control or non-ASCII
// characters, so that nothing of it can reach a browser's command line as
// anything but the address. The only kind openUrl opens.
bool isWebAddress(const std::wstring& address);
// Opens a web page as the logged-on user, through the desktop's shell (never
// with this process's rights). Anything but a web address is refused and
// logged: a loose language table or skin must not make it start a program.
// UI thread.
bool openUrl(const std::wstring& address);
// A new GUID as "XXXXXXXX_XXXX_xxxx_XXXX_XXXXXXXXXXXX"; empty on failure.
std::wstring newGuidString();

}  // namespace utility::usystem
