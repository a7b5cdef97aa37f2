#include "toolkit/accessible_object.h"

#include <string>
#include <utility>
#include <vector>

#include "utility/callback_guard.h"

namespace DuiLib {
namespace {

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

}  // namespace

AccessibleWindow* AccessibleWindow::create(HWND window, AccessibleSourceFinder find) {
  return new AccessibleWindow(window, find);
}

LRESULT AccessibleWindow::answer(WPARAM wParam) {
  return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this));
}

void AccessibleWindow::disconnect() {
  window_ = nullptr;
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HRESULT AccessibleWindow::findWindow(Target& target) const {
  target.source = window_ && find_ ? find_(window_) : nullptr;
  return target.source ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT AccessibleWindow::find(const VARIANT& child, Target& target) const {
  HRESULT found = findWindow(target);
  if (FAILED(found)) return found;
  if (child.vt == VT_EMPTY || (child.vt == VT_I4 && child.lVal == CHILDID_SELF)) {
    target.element = self(*target.source);
    return S_OK;
  }
  if (child.vt != VT_I4 || child.lVal < 0) return E_INVALIDARG;
  target.id = child.lVal;
  return target.source->describe(target.id, target.element) ? S_OK : E_INVALIDARG;
}

AccessibleElement AccessibleWindow::self(const AccessibleSource& source) const {
  AccessibleElement element;
  element.role = source.windowRole();
  element.name = source.windowName();
  element.state = STATE_SYSTEM_FOCUSABLE;
  if (GetFocus() == window_ && source.focused() == CHILDID_SELF)
    element.state |= STATE_SYSTEM_FOCUSED;
  if (!IsWindowVisible(window_)) element.state |= STATE_SYSTEM_INVISIBLE;
  if (!IsWindowEnabled(window_)) element.state |= STATE_SYSTEM_UNAVAILABLE;
  GetClientRect(window_, &element.place);
  // Window pixels are screen pixels: the program is aware of the screen's DPI.
  MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&element.place), 2);
  return element;
}

void AccessibleWindow::answerChild(const AccessibleSource& source, long id, VARIANT* out) const {
  IDispatch* object = id != CHILDID_SELF ? source.childObject(id) : nullptr;
  if (!object) {
    numberAnswer(id, out);
    return;
  }
  VariantInit(out);
  out->vt = VT_DISPATCH;
  out->pdispVal = object;
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
    // The object for the window around the client area, as the window gives
    // it (the system's, unless the window names itself otherwise).
    return AccessibleObjectFromWindow(window_, OBJID_WINDOW, __uuidof(IDispatch),
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
    *count = static_cast<LONG>(target.source->children().size());
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
    if (target.id == CHILDID_SELF) return E_INVALIDARG;
    // Most children are simple elements of this object, asked about by their id.
    *object = target.source->childObject(target.id);
    return *object ? S_OK : S_FALSE;
  });
}

HRESULT AccessibleWindow::get_accName(VARIANT child, BSTR* name) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    return FAILED(found) ? found : textAnswer(target.element.name, name);
  });
}

HRESULT AccessibleWindow::get_accValue(VARIANT child, BSTR* value) {
  return answered([&]() -> HRESULT {
    if (!value) return E_POINTER;
    *value = nullptr;
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (!target.element.hasValue) return DISP_E_MEMBERNOTFOUND;
    const std::wstring& text = target.element.value;
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
    return FAILED(found) ? found : numberAnswer(target.element.role, role);
  });
}

HRESULT AccessibleWindow::get_accState(VARIANT child, VARIANT* state) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    return FAILED(found) ? found : numberAnswer(target.element.state, state);
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
    if (!child) return E_POINTER;
    if (GetFocus() != window_) return noAnswer(child);
    answerChild(*target.source, target.source->focused(), child);
    return S_OK;
  });
}

HRESULT AccessibleWindow::get_accSelection(VARIANT* children) { return noAnswer(children); }

HRESULT AccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    return FAILED(found) ? found : textAnswer(target.element.action, action);
  });
}

HRESULT AccessibleWindow::accSelect(LONG flags, VARIANT child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
    return target.source->takeFocus(target.id) ? S_OK : E_FAIL;
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
    const RECT& place = target.element.place;
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
  });
}

HRESULT AccessibleWindow::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(start, target);
    if (FAILED(found)) return found;
    if (!end) return E_POINTER;
    std::vector<long> seen = target.source->children();
    long reached = CHILDID_SELF;
    if (target.id == CHILDID_SELF && !seen.empty()) {
      if (direction == NAVDIR_FIRSTCHILD) reached = seen.front();
      if (direction == NAVDIR_LASTCHILD) reached = seen.back();
    } else if (target.id != CHILDID_SELF) {
      for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] != target.id) continue;
        if (direction == NAVDIR_NEXT && i + 1 < seen.size()) reached = seen[i + 1];
        if (direction == NAVDIR_PREVIOUS && i > 0) reached = seen[i - 1];
      }
    }
    if (reached == CHILDID_SELF) return noAnswer(end);
    answerChild(*target.source, reached, end);
    return S_OK;
  });
}

HRESULT AccessibleWindow::accHitTest(LONG x, LONG y, VARIANT* child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = findWindow(target);
    if (FAILED(found)) return found;
    if (!child) return E_POINTER;
    POINT point{x, y};
    RECT client = self(*target.source).place;
    if (!PtInRect(&client, point)) return noAnswer(child);
    answerChild(*target.source, target.source->childAt(point), child);
    return S_OK;
  });
}

HRESULT AccessibleWindow::accDoDefaultAction(VARIANT child) {
  return answered([&]() -> HRESULT {
    Target target;
    HRESULT found = find(child, target);
    if (FAILED(found)) return found;
    if (target.id == CHILDID_SELF || target.element.action.empty()) return DISP_E_MEMBERNOTFOUND;
    // A click is not possible now, just as the mouse could not make one.
    const long blocked = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE;
    if ((target.element.state & blocked) || !IsWindowEnabled(window_)) return E_FAIL;
    // Done from the window's own message loop: the action may open a window or
    // end this one, and the client must not wait for that.
    return PostMessageW(window_, kAccessibleActionMessage, static_cast<WPARAM>(target.id), 0)
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
    std::vector<long> seen = target.source->children();
    ULONG given = 0;
    while (given < count && cursor_ < seen.size())
      answerChild(*target.source, seen[cursor_++], &children[given++]);
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
    return cursor_ <= target.source->children().size() ? S_OK : S_FALSE;
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
    AccessibleWindow* clone = create(window_, find_);
    clone->cursor_ = cursor_;
    *copy = static_cast<IEnumVARIANT*>(clone);
    return S_OK;
  });
}

}  // namespace DuiLib
