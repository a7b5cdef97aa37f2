// Stand-in for the emulator's executables (built once, installed under each of
// their names). It appends its command line to "<name>_args.txt" beside itself
// and shows a small window with the parameters until it is closed.
#include <windows.h>

#include "standins/standin_files.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VorlaneStandInPlayer";

std::wstring g_caption;

// The command line after the program's own (possibly quoted) path.
std::wstring parametersOf(const std::wstring& line) {
  size_t end = line.starts_with(L'"') ? line.find(L'"', 1) : line.find(L' ');
  if (end == std::wstring::npos) return {};
  size_t start = line.find_first_not_of(L' ', end + 1);
  return start == std::wstring::npos ? L"" : line.substr(start);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      InflateRect(&area, -12, -12);
      DrawTextW(dc, g_caption.c_str(), (int)g_caption.size(), &area, DT_WORDBREAK);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  std::wstring self = standins::ownPath();
  std::wstring name = self.substr(self.find_last_of(L"\\/") + 1);
  std::wstring base = name.substr(0, name.rfind(L'.'));
  std::wstring line = GetCommandLineW();
  standins::appendBesideSelf(base + L"_args.txt", line);

  std::wstring parameters = parametersOf(line);
  g_caption = L"Vorlane player stand-in (" + name + L")\r\n\r\nstarted with: " +
              (parameters.empty() ? L"(no parameters)" : parameters);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kWindowClass, name.c_str(), WS_OVERLAPPEDWINDOW, 80, 80, 520,
                                200, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  // The first call may take the starter's show flag instead (the installer may
  // start the emulator hidden); the emulator always shows itself.
  ShowWindow(window, SW_SHOWNORMAL);
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
