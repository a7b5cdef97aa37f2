// Reads a toolkit window of this thread as assistive technology does, from
// another process (tests/support/accessible_client.cpp), while this thread's
// messages are pumped so that the window can answer.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// One object as the client read it: the window itself, or one of its controls.
struct AccessibleItem {
  long role = 0;  // ROLE_SYSTEM_
  std::wstring name;
  std::wstring value;
  long state = 0;  // STATE_SYSTEM_
  std::wstring action;
  RECT location{};  // screen pixels
};

// The window first, then the controls it shows, in order; empty when the
// client could not read the window.
std::vector<AccessibleItem> readAccessibleTree(HWND window);
// The first item named `name` (with role `role` unless it is 0), or null.
const AccessibleItem* findAccessibleItem(const std::vector<AccessibleItem>& items,
                                         const std::wstring& name, long role = 0);
// Has the client run the default action of the window's control named
// `name`; the call's HRESULT (E_FAIL when the client failed).
HRESULT doAccessibleAction(HWND window, const std::wstring& name);

}  // namespace testing_support
