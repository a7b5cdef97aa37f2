#include "toolkit/message_filter.h"

#include "toolkit/native_edit.h"
#include "toolkit/window_base.h"

namespace DuiLib {
namespace {

// The system closes the top-level window that has the focus on Alt+F4: for
// an edit box, which is a pop-up of its own, the box rather than its window.
bool closeFromEditBox(const MSG& msg) {
  if (msg.message != WM_SYSKEYDOWN || msg.wParam != VK_F4 || !NativeEdit::isEditBox(msg.hwnd))
    return false;
  WindowImplBase* window = WindowImplBase::fromHandle(msg.hwnd);
  if (!window || !IsWindowEnabled(window->getHWND())) return false;
  PostMessageW(window->getHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
  return true;
}

}  // namespace

bool preTranslateMessage(MSG* msg) {
  if (!msg) return false;
  if (closeFromEditBox(*msg)) return true;
  if (msg->message != WM_KEYDOWN) return false;
  WPARAM key = msg->wParam;
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_SPACE) return false;
  WindowImplBase* window = WindowImplBase::fromHandle(msg->hwnd);
  if (!window || !IsWindowEnabled(window->getHWND())) return false;
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  bool repeat = (msg->lParam & (1 << 30)) != 0;  // the key was down already
  return window->translateKey(key, shift, repeat);
}

}  // namespace DuiLib
