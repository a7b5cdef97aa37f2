// The object through which assistive technology (a screen reader, or a test
// client in another process) reads a window: an IAccessible for the window's
// client area whose children are those its source tells of
// (toolkit/accessible_source.h), each named by its id, and which lists them
// through IEnumVARIANT. It keeps only the window's handle and finds the
// source anew for every question, so a client that outlives the window gets
// an error, never a freed object. UI thread only.
#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include "toolkit/accessible_source.h"

namespace DuiLib {

class AccessibleWindow final : public IAccessible, public IEnumVARIANT {
 public:
  // A new object, holding one reference, for `window`, whose source `find`
  // finds.
  static AccessibleWindow* create(HWND window, AccessibleSourceFinder find);
  // The answer to WM_GETOBJECT for the client area (its `wParam` given).
  LRESULT answer(WPARAM wParam);
  // The window is going: clients are cut off and every later question fails.
  void disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: no type information; clients use the IAccessible methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;
  // IEnumVARIANT: the seen controls' ids, in layout order.
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

 private:
  AccessibleWindow(HWND window, AccessibleSourceFinder find) : window_(window), find_(find) {}
  ~AccessibleWindow() = default;

  // What a question is about: the window's source, and the child asked about
  // (CHILDID_SELF for the window itself), described. Fails once the window
  // is gone, and for an id that names no child of it.
  struct Target {
    AccessibleSource* source = nullptr;
    long id = CHILDID_SELF;
    AccessibleElement element;
  };
  HRESULT find(const VARIANT& child, Target& target) const;
  HRESULT findWindow(Target& target) const;
  // The window's own description as a child's is given.
  AccessibleElement self(const AccessibleSource& source) const;
  // A child for a VARIANT: its id, or its object when it is one of its own.
  void answerChild(const AccessibleSource& source, long id, VARIANT* out) const;

  HWND window_;
  AccessibleSourceFinder find_;
  LONG references_ = 1;
  ULONG cursor_ = 0;  // IEnumVARIANT's place
};

}  // namespace DuiLib
