#include "toolkit/named_accessible.h"

#include <utility>

namespace DuiLib {
namespace {

bool isSelf(const VARIANT& child) {
  return child.vt == VT_EMPTY || (child.vt == VT_I4 && child.lVal == CHILDID_SELF);
}

}  // namespace

NamedAccessible* NamedAccessible::create(HWND window, LONG objectId, std::wstring name) {
  IAccessible* system = nullptr;
  if (FAILED(CreateStdAccessibleObject(window, objectId, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&system))) ||
      !system)
    return nullptr;
  return new NamedAccessible(system, std::move(name));
}

NamedAccessible::~NamedAccessible() {
  if (system_) system_->Release();
}

LRESULT NamedAccessible::answer(WPARAM wParam) {
  return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this));
}

void NamedAccessible::disconnect() {
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  if (system_) system_->Release();
  system_ = nullptr;
}

HRESULT NamedAccessible::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  // Anything else a reader asks for (the window behind the object, say) is
  // the system object's to give.
  return system_ ? system_->QueryInterface(iid, object) : E_NOINTERFACE;
}

ULONG NamedAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG NamedAccessible::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// Every other question goes to the system's object while the window lives.
#define VORLANE_ASK_SYSTEM(call) return system_ ? system_->call : CO_E_OBJNOTCONNECTED

HRESULT NamedAccessible::GetTypeInfoCount(UINT* count) {
  VORLANE_ASK_SYSTEM(GetTypeInfoCount(count));
}

HRESULT NamedAccessible::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  VORLANE_ASK_SYSTEM(GetTypeInfo(index, locale, info));
}

HRESULT NamedAccessible::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                       DISPID* ids) {
  VORLANE_ASK_SYSTEM(GetIDsOfNames(iid, names, count, locale, ids));
}

HRESULT NamedAccessible::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* argument) {
  VORLANE_ASK_SYSTEM(Invoke(id, iid, locale, flags, params, result, exception, argument));
}

HRESULT NamedAccessible::get_accParent(IDispatch** parent) {
  VORLANE_ASK_SYSTEM(get_accParent(parent));
}

HRESULT NamedAccessible::get_accChildCount(LONG* count) {
  VORLANE_ASK_SYSTEM(get_accChildCount(count));
}

HRESULT NamedAccessible::get_accChild(VARIANT child, IDispatch** object) {
  VORLANE_ASK_SYSTEM(get_accChild(child, object));
}

HRESULT NamedAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!system_) return CO_E_OBJNOTCONNECTED;
  if (!isSelf(child)) return system_->get_accName(child, name);
  if (!name) return E_POINTER;
  *name =
      name_.empty() ? nullptr : SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
  if (name_.empty()) return S_FALSE;
  return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT NamedAccessible::get_accValue(VARIANT child, BSTR* value) {
  VORLANE_ASK_SYSTEM(get_accValue(child, value));
}

HRESULT NamedAccessible::get_accDescription(VARIANT child, BSTR* description) {
  VORLANE_ASK_SYSTEM(get_accDescription(child, description));
}

HRESULT NamedAccessible::get_accRole(VARIANT child, VARIANT* role) {
  VORLANE_ASK_SYSTEM(get_accRole(child, role));
}

HRESULT NamedAccessible::get_accState(VARIANT child, VARIANT* state) {
  VORLANE_ASK_SYSTEM(get_accState(child, state));
}

HRESULT NamedAccessible::get_accHelp(VARIANT child, BSTR* help) {
  VORLANE_ASK_SYSTEM(get_accHelp(child, help));
}

HRESULT NamedAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  VORLANE_ASK_SYSTEM(get_accHelpTopic(file, child, topic));
}

HRESULT NamedAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  VORLANE_ASK_SYSTEM(get_accKeyboardShortcut(child, shortcut));
}

HRESULT NamedAccessible::get_accFocus(VARIANT* child) { VORLANE_ASK_SYSTEM(get_accFocus(child)); }

HRESULT NamedAccessible::get_accSelection(VARIANT* children) {
  VORLANE_ASK_SYSTEM(get_accSelection(children));
}

HRESULT NamedAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  VORLANE_ASK_SYSTEM(get_accDefaultAction(child, action));
}

HRESULT NamedAccessible::accSelect(LONG flags, VARIANT child) {
  VORLANE_ASK_SYSTEM(accSelect(flags, child));
}

HRESULT NamedAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                     VARIANT child) {
  VORLANE_ASK_SYSTEM(accLocation(left, top, width, height, child));
}

HRESULT NamedAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  VORLANE_ASK_SYSTEM(accNavigate(direction, start, end));
}

HRESULT NamedAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
  VORLANE_ASK_SYSTEM(accHitTest(x, y, child));
}

HRESULT NamedAccessible::accDoDefaultAction(VARIANT child) {
  VORLANE_ASK_SYSTEM(accDoDefaultAction(child));
}

HRESULT NamedAccessible::put_accName(VARIANT child, BSTR name) {
  VORLANE_ASK_SYSTEM(put_accName(child, name));
}

HRESULT NamedAccessible::put_accValue(VARIANT child, BSTR value) {
  VORLANE_ASK_SYSTEM(put_accValue(child, value));
}

#undef VORLANE_ASK_SYSTEM

}  // namespace DuiLib
