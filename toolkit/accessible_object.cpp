#include "toolkit/accessible_object.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/accessible.h"
#include "toolkit/window_base.h"
#include "utility/callback_guard.h"

namespace DuiLib {
namespace {

LONG systemRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Graphic:
      return ROLE_SYSTEM_GRAPHIC;
    case AccessibleRole::Animation:
      return ROLE_SYSTEM_ANIMATION;
    case AccessibleRole::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::Link:
      return ROLE_SYSTEM_LINK;
    case AccessibleRole::CheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case AccessibleRole::EditableText:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::ProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::ComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case AccessibleRole::None:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

// A text answer: S_FALSE and no string when there is nothing to say.
// The methods are called from other processes, through COM: an exception
// (memory running out) must not leave them.
template <typename Body>
HRESULT answered(Body&& body) noexcept {
  return utility::guarded<HRESULT>("DuiLib::AccessibleWindow", E_OUTOFMEMORY, std::forward<Body>(body));
}

HRESULT textAnswer(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT numberAnswer(LONG number, VARIANT* out) {
  if (!out) return E_POINTER;
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = number;
  return S_OK;
}

HRESULT noAnswer(VARIANT* out) {
  if (!out) return E_POINTER;
  VariantInit(out);
  return S_FALSE;
}

std::vector<CControlUI*> seenControls(WindowImplBase* window) {
  return accessibleControls(window->manager().getRoot());
}

}  // namespace

AccessibleWindow* AccessibleWindow::create(HWND window) { return new AccessibleWindow(window); }

LRESULT AccessibleWindow::answer(WPARAM wParam) {
  return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this));
}

void AccessibleWindow::disconnect() {
  window_ = nullptr;
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HRESULT AccessibleWindow::findWindow(Target& target) const {
  target.window = window_ ? WindowImplBase::fromHandle(window_) : nullptr;
  if (!target.window || target.window->getHWND() != window_) return CO_E_OBJNOTCONNECTED;
  return S_OK;
}

HRESULT AccessibleWindow::find(const VARIANT& child, Target& target) const {
  HRESULT found = findWindow(target);
  if (FAILED(found)) return found;
  if (child.vt == VT_EMPTY) return S_OK;
  if (child.vt != VT_I4) return E_INVALIDARG;
  if (child.lVal == CHILDID_SELF) return S_OK;
  target.control = findAccessible(target.window->manager().getRoot(), child.lVal);
  return target.control ? S_OK : E_INVALIDARG;
}

HRESULT AccessibleWindow::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
  } else if (iid == __uuidof(IEnumVARIANT)) {
    *object = static_cast<IEnumVARIANT*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG AccessibleWindow::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG AccessibleWindow::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT AccessibleWindow::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AccessibleWindow::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

HRESULT AccessibleWindow::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT AccessibleWindow::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                 UINT*) {
  return E_NOTIMPL;
}

HRESULT AccessibleWindow::get_accParent(IDispatch** parent) {
  return answered([&]() -> HRESULT {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    // The system's object for the window around the client area.
    return CreateStdAccessibleObject(window_, OBJID_WINDOW, __uuidof(IDispatch),
                                     reinterpret_cast<void**>(parent));
  });
}

HRESULT AccessibleWindow::get_accChildCount(LONG* count) {
  return answered([&]() -> HRESULT {
    if (!count) return E_POINTER;
    *count = 0;
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    *count = static_cast<LONG>(seenControls(target.window).size());
    return S_OK;
  });
}

HRESULT AccessibleWindow::get_accChild(VARIANT child, IDispatch** object) {
  return answered([&]() -> HRESULT {
    if (!object) return E_POINTER;
    *object = nullptr;
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    // Controls are simple elements of this object, asked about by their id.
    return target.control ? S_FALSE : E_INVALIDARG;
  });
}

HRESULT AccessibleWindow::get_accName(VARIANT child, BSTR* name) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (target.control) return textAnswer(accessibleName(*target.control), name);
    int length = GetWindowTextLengthW(window_);
    std::wstring title(static_cast<size_t>(length) + 1, L'\0');
    title.resize(static_cast<size_t>(std::max(0, GetWindowTextW(window_, title.data(), length + 1))));
    return textAnswer(title, name);
  });
}

HRESULT AccessibleWindow::get_accValue(VARIANT child, BSTR* value) {
  return answered([&]() -> HRESULT {
    if (!value) return E_POINTER;
    *value = nullptr;
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    std::wstring text;
    if (!target.control || !target.control->accessibleValue(text)) return DISP_E_MEMBERNOTFOUND;
    *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT AccessibleWindow::get_accDescription(VARIANT child, BSTR* description) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    return FAILED(found) ? found : textAnswer(L"", description);
  });
}

HRESULT AccessibleWindow::get_accRole(VARIANT child, VARIANT* role) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (target.control) return numberAnswer(systemRole(target.control->accessibleRole()), role);
    return numberAnswer(target.window->isDialog() ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_CLIENT, role);
  });
}

HRESULT AccessibleWindow::get_accState(VARIANT child, VARIANT* state) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (target.control) return numberAnswer(accessibleState(*target.control), state);
    LONG bits = STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == window_ && !target.window->manager().getFocus()) bits |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(window_)) bits |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(window_)) bits |= STATE_SYSTEM_UNAVAILABLE;
    return numberAnswer(bits, state);
  });
}

HRESULT AccessibleWindow::get_accHelp(VARIANT child, BSTR* help) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    return FAILED(found) ? found : textAnswer(L"", help);
  });
}

HRESULT AccessibleWindow::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return S_FALSE;
}

HRESULT AccessibleWindow::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    return FAILED(found) ? found : textAnswer(L"", shortcut);
  });
}

HRESULT AccessibleWindow::get_accFocus(VARIANT* child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    if (GetFocus() != window_) return noAnswer(child);
    CControlUI* focus = target.window->manager().getFocus();
    return numberAnswer(focus && isAccessible(*focus) ? focus->accessibleId() : CHILDID_SELF, child);
  });
}

HRESULT AccessibleWindow::get_accSelection(VARIANT* children) { return noAnswer(children); }

HRESULT AccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    return textAnswer(target.control ? defaultActionName(*target.control) : L"", action);
  });
}

HRESULT AccessibleWindow::accSelect(LONG flags, VARIANT child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
    CControlUI* control = target.control;
    if (control && !(control->wantsFocus() && control->isVisible() && control->isEnabled()))
      return E_FAIL;
    target.window->manager().setFocus(control);
    return S_OK;
  });
}

HRESULT AccessibleWindow::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                      VARIANT child) {
  return answered([&]() -> HRESULT {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    RECT rect;
    if (target.control) {
      rect = target.control->getPos();
    } else {
      GetClientRect(window_, &rect);
    }
    // Window pixels are screen pixels: the program is aware of the screen's DPI.
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
  });
}

HRESULT AccessibleWindow::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(start, target);
    if (FAILED(found)) return found;
    std::vector<CControlUI*> seen = seenControls(target.window);
    CControlUI* reached = nullptr;
    if (!target.control && !seen.empty()) {
      if (direction == NAVDIR_FIRSTCHILD) reached = seen.front();
      if (direction == NAVDIR_LASTCHILD) reached = seen.back();
    } else if (target.control) {
      for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] != target.control) continue;
        if (direction == NAVDIR_NEXT && i + 1 < seen.size()) reached = seen[i + 1];
        if (direction == NAVDIR_PREVIOUS && i > 0) reached = seen[i - 1];
      }
    }
    return reached ? numberAnswer(reached->accessibleId(), end) : noAnswer(end);
  });
}

HRESULT AccessibleWindow::accHitTest(LONG x, LONG y, VARIANT* child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    POINT point{x, y};
    RECT client;
    ScreenToClient(window_, &point);
    GetClientRect(window_, &client);
    if (!PtInRect(&client, point)) return noAnswer(child);
    CControlUI* control = target.window->manager().findControlAt(point);
    while (control && !isAccessible(*control)) control = control->getParent();
    return numberAnswer(control ? control->accessibleId() : CHILDID_SELF, child);
  });
}

HRESULT AccessibleWindow::accDoDefaultAction(VARIANT child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    CControlUI* control = target.control;
    if (!control || defaultActionName(*control).empty()) return DISP_E_MEMBERNOTFOUND;
    // A click is not possible now, just as the mouse could not make one.
    if (!control->isVisible() || !control->isEnabled() || !IsWindowEnabled(window_)) return E_FAIL;
    // Done from the window's own message loop: the action may open a window or
    // end this one, and the client must not wait for that.
    return PostMessageW(window_, WindowImplBase::kDefaultActionMessage,
                        static_cast<WPARAM>(control->accessibleId()), 0)
               ? S_OK
               : E_FAIL;
  });
}

HRESULT AccessibleWindow::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT AccessibleWindow::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT AccessibleWindow::Next(ULONG count, VARIANT* children, ULONG* fetched) {
  return answered([&]() -> HRESULT {
    if (fetched) *fetched = 0;
    if (!children || (count > 1 && !fetched)) return E_POINTER;
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    std::vector<CControlUI*> seen = seenControls(target.window);
    ULONG given = 0;
    while (given < count && cursor_ < seen.size())
      numberAnswer(seen[cursor_++]->accessibleId(), &children[given++]);
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  });
}

HRESULT AccessibleWindow::Skip(ULONG count) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    cursor_ += count;
    return cursor_ <= seenControls(target.window).size() ? S_OK : S_FALSE;
  });
}

HRESULT AccessibleWindow::Reset() {
  return answered([&]() -> HRESULT {
    cursor_ = 0;
    return S_OK;
  });
}

HRESULT AccessibleWindow::Clone(IEnumVARIANT** copy) {
  return answered([&]() -> HRESULT {
    if (!copy) return E_POINTER;
    AccessibleWindow* clone = create(window_);
    clone->cursor_ = cursor_;
    *copy = static_cast<IEnumVARIANT*>(clone);
    return S_OK;
  });
}

}  // namespace DuiLib
