#include "toolkit/accessible_controls.h"

#include <algorithm>

#include "toolkit/accessible.h"
#include "toolkit/window_base.h"

namespace DuiLib {

long ControlsAccessible::windowRole() const {
  return window_.isDialog() ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_CLIENT;
}

std::wstring ControlsAccessible::windowName() const {
  HWND window = window_.getHWND();
  int length = GetWindowTextLengthW(window);
  std::wstring title(static_cast<size_t>(length) + 1, L'\0');
  title.resize(static_cast<size_t>(std::max(0, GetWindowTextW(window, title.data(), length + 1))));
  return title;
}

std::vector<long> ControlsAccessible::children() const {
  std::vector<long> ids;
  for (CControlUI* control : accessibleControls(window_.manager().getRoot()))
    ids.push_back(control->accessibleId());
  return ids;
}

bool ControlsAccessible::describe(long id, AccessibleElement& element) const {
  CControlUI* control = findAccessible(window_.manager().getRoot(), id);
  if (!control) return false;
  element.role = systemRole(control->accessibleRole());
  element.name = accessibleName(*control);
  element.hasValue = control->accessibleValue(element.value);
  element.state = accessibleState(*control);
  element.action = defaultActionName(*control);
  element.place = control->getPos();
  MapWindowPoints(window_.getHWND(), nullptr, reinterpret_cast<POINT*>(&element.place), 2);
  return true;
}

long ControlsAccessible::focused() const {
  CControlUI* focus = window_.manager().getFocus();
  return focus && isAccessible(*focus) ? focus->accessibleId() : CHILDID_SELF;
}

bool ControlsAccessible::takeFocus(long id) {
  CControlUI* control = findAccessible(window_.manager().getRoot(), id);
  if (control && !(control->wantsFocus() && control->isVisible() && control->isEnabled()))
    return false;
  window_.manager().setFocus(control);
  return true;
}

long ControlsAccessible::childAt(POINT screen) const {
  ScreenToClient(window_.getHWND(), &screen);
  CControlUI* control = accessibleControlAt(window_.manager().getRoot(), screen);
  return control ? control->accessibleId() : CHILDID_SELF;
}

void ControlsAccessible::doDefaultAction(long id) {
  if (CControlUI* control = findAccessible(window_.manager().getRoot(), id))
    DuiLib::doDefaultAction(*control);
}

AccessibleSource* ControlsAccessible::of(HWND window) {
  WindowImplBase* found = WindowImplBase::fromHandle(window);
  return found && found->getHWND() == window ? &found->accessibleControls() : nullptr;
}

}  // namespace DuiLib
