// Notifications: what a control tells its window ("click", "killfocus",
// "selectchanged", ...), and the static tables that route them by type and
// control name to a window's handlers.
#pragma once
#include <windows.h>

#include <string>

namespace DuiLib {

class CControlUI;

struct TNotifyUI {
  std::wstring type;
  CControlUI* sender = nullptr;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Receives the notifications of one window's controls. UI thread.
class INotifyUI {
 public:
  virtual void notify(TNotifyUI& msg) = 0;

 protected:
  ~INotifyUI() = default;
};

// One row of a window's notification table; a row with an empty type ends it.
template <class Window>
struct NotifyEntry {
  const wchar_t* type;
  const wchar_t* controlName;
  void (Window::*handler)(TNotifyUI& msg);
};

// Runs the first row of `table` whose type and control name match `msg`;
// false when none does.
template <class Window>
bool routeNotify(Window* window, const NotifyEntry<Window>* table, TNotifyUI& msg);

}  // namespace DuiLib

#include "toolkit/control.h"

namespace DuiLib {

template <class Window>
bool routeNotify(Window* window, const NotifyEntry<Window>* table, TNotifyUI& msg) {
  if (!msg.sender) return false;
  for (const NotifyEntry<Window>* entry = table; entry->type && *entry->type; ++entry) {
    if (msg.type == entry->type && msg.sender->getName() == entry->controlName && entry->handler) {
      (window->*entry->handler)(msg);
      return true;
    }
  }
  return false;
}

}  // namespace DuiLib
