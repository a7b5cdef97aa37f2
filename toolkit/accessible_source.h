// What a window tells assistive technology through its accessible object
// (toolkit/accessible_object.h): its own role and name, and the children it
// shows, each a simple element named by an id above 0 (or, rarely, an object
// of its own). A toolkit window speaks of its controls
// (toolkit/accessible_controls.h); a plain window of ours may speak of its
// child windows the same way. UI thread only.
#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <string>
#include <vector>

namespace DuiLib {

// One child as a reader is told of it.
struct AccessibleElement {
  long role = 0;  // ROLE_SYSTEM_
  std::wstring name;
  bool hasValue = false;
  std::wstring value;
  long state = 0;  // STATE_SYSTEM_
  // The name of what accDoDefaultAction does; empty when it does nothing.
  std::wstring action;
  RECT place{};  // screen pixels
};

class AccessibleSource {
 public:
  // The window's role (ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_DIALOG) and name.
  virtual long windowRole() const = 0;
  virtual std::wstring windowName() const = 0;
  // The children a reader sees now, in reading order.
  virtual std::vector<long> children() const = 0;
  // The child `id` (shown or not); false for an id that names none.
  virtual bool describe(long id, AccessibleElement& element) const = 0;
  // A child that is an object of its own (one reference for the caller), or
  // null for a simple element.
  virtual IDispatch* childObject(long) const { return nullptr; }
  // The child that has the window's keyboard focus; CHILDID_SELF for none.
  virtual long focused() const = 0;
  // Gives child `id` (CHILDID_SELF: none) the window's keyboard focus; false
  // when it cannot take it.
  virtual bool takeFocus(long id) = 0;
  // The child seen at `screen`, a point inside the window; CHILDID_SELF for none.
  virtual long childAt(POINT screen) const = 0;
  // Does what a click on child `id` does. Called from the window's own
  // message loop (kAccessibleActionMessage), never from a reader's call.
  virtual void doDefaultAction(long id) = 0;

 protected:
  ~AccessibleSource() = default;
};

// Finds the source that speaks for `window`, anew for every question: null
// once the window is gone or speaks no more.
using AccessibleSourceFinder = AccessibleSource* (*)(HWND window);

// A private message: the window has its source do the default action of the
// child whose id is wParam. Posted by the accessible object, so that a
// reader never waits for what the action opens or closes.
constexpr UINT kAccessibleActionMessage = WM_APP + 0x3A2;

}  // namespace DuiLib
