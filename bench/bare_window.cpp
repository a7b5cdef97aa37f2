// The yardstick of first_paint_bench: the barest Win32 program with a window
// like the installer's, a 688 x 458 pop-up centred on the work area and
// painted one colour in WM_PAINT. It runs until its window is closed.
//
// Built a second time with BARE_WINDOW_WITH_INSTALLER_IMPORTS, it also
// imports every system library the installer uses (and calls none of them),
// the ordinary way: the installer's imports check must refuse such a program.
#ifdef BARE_WINDOW_WITH_INSTALLER_IMPORTS
#include <winsock2.h>
#endif
#include <windows.h>

#ifdef BARE_WINDOW_WITH_INSTALLER_IMPORTS
#include <bcrypt.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <softpub.h>
#include <usp10.h>
#include <wincrypt.h>
#include <wininet.h>

#include "toolkit/gdiplus_include.h"
#endif

namespace {

#ifdef BARE_WINDOW_WITH_INSTALLER_IMPORTS
// One function of each library; taking their addresses makes the loader map them.
const void* const volatile kImports[] = {
    reinterpret_cast<const void*>(&BCryptGenRandom),
    reinterpret_cast<const void*>(&InitCommonControlsEx),
    reinterpret_cast<const void*>(&CertCloseStore),
    reinterpret_cast<const void*>(&Gdiplus::GdiplusStartup),
    reinterpret_cast<const void*>(&GetAdaptersInfo),
    reinterpret_cast<const void*>(&CoInitialize),
    reinterpret_cast<const void*>(&SHGetFolderPathW),
    reinterpret_cast<const void*>(&PathIsRootW),
    reinterpret_cast<const void*>(&ScriptFreeCache),
    reinterpret_cast<const void*>(&InternetCloseHandle),
    reinterpret_cast<const void*>(&WinVerifyTrust),
    reinterpret_cast<const void*>(&WSAStartup),
    reinterpret_cast<const void*>(&RegCloseKey),
};
#endif

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBRUSH brush = CreateSolidBrush(RGB(0x1F, 0x6F, 0xD6));
      FillRect(dc, &paint.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef BARE_WINDOW_WITH_INSTALLER_IMPORTS
  if (!kImports[0]) return 1;  // read, so the table stays
#endif
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"BareWindow";
  if (!RegisterClassW(&windowClass)) return 1;
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int width = 688, height = 458;
  HWND window = CreateWindowExW(
      0, L"BareWindow", L"Bare window", WS_POPUP, (area.left + area.right - width) / 2,
      (area.top + area.bottom - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
