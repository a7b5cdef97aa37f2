#include "tests/ui/box_fixture.h"

namespace box_testing {

HWND createOwnerWindow(int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(RGB(52, 56, 64));
    windowClass.lpszClassName = L"BoxOwnerWindow";
    registered = RegisterClassW(&windowClass) != 0;
  }
  HWND owner = CreateWindowExW(0, L"BoxOwnerWindow", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, width, height,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  return owner;
}

}  // namespace box_testing
