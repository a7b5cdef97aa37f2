#include "toolkit/message_filter.h"

#include "toolkit/window_base.h"

namespace DuiLib {

bool preTranslateMessage(MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return false;
  WPARAM key = msg->wParam;
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_SPACE) return false;
  WindowImplBase* window = WindowImplBase::fromHandle(msg->hwnd);
  if (!window || !IsWindowEnabled(window->getHWND())) return false;
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  return window->translateKey(key, shift);
}

}  // namespace DuiLib
