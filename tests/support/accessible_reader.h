// Reads a window of this thread as assistive technology does, from another
// process (tests/support/accessible_client.cpp), and hears what this process
// announces, while this thread's messages are pumped so that its windows can
// answer.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace testing_support {

// One object as the client read it: the window itself, or one of its
// controls (or a child object of its own, read as itself).
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
// The object a reader finds at `screen` (AccessibleObjectFromPoint); its role
// is 0 when the client found none.
AccessibleItem accessibleItemAt(POINT screen);
// The tree as lines for a person to read: role, name, value, state, action.
std::wstring printAccessibleTree(const std::vector<AccessibleItem>& items);

// One event the client heard, with what the object it names said when the
// client asked at once (all empty when the object was gone by then).
struct HeardEvent {
  std::wstring event;  // "focus", "alert", "name", "value", "state", "dialogstart", "dialogend"
  std::wstring windowClass;
  long child = 0;  // CHILDID_SELF: the window itself
  long role = 0;
  std::wstring name;
  std::wstring value;
  long state = 0;
};
using HeardEvents = std::vector<HeardEvent>;

// A client in another process that hears every event of this process from
// start() until it is destroyed.
class AccessibleListener {
 public:
  AccessibleListener() = default;
  ~AccessibleListener();
  AccessibleListener(const AccessibleListener&) = delete;
  AccessibleListener& operator=(const AccessibleListener&) = delete;

  // True once the client listens.
  bool start();
  // Pumps this thread's messages until `enough` holds for what was heard
  // since the last clear(), or `timeoutMs` passed; what was heard.
  HeardEvents heardUntil(const std::function<bool(const HeardEvents&)>& enough, DWORD timeoutMs);
  // What was heard within `ms` from now.
  HeardEvents heardWithin(DWORD ms);
  // Forgets what was heard so far.
  void clear();

 private:
  HeardEvents read() const;

  TempDir folder_;  // what the client hears, and the file that stops it
  HANDLE process_ = nullptr;
  size_t seen_ = 0;  // events heard before the last clear()
};

// The events of kind `event` in `heard`.
HeardEvents heardOf(const HeardEvents& heard, const std::wstring& event);
// Lines for a person to read.
std::wstring printHeard(const HeardEvents& heard);

}  // namespace testing_support
