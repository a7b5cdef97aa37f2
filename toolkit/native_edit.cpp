#include "toolkit/native_edit.h"

#include <utility>

#include "toolkit/named_accessible.h"
#include "utility/callback_guard.h"

namespace DuiLib {

NativeEdit::NativeEdit(NativeEditOwner* owner, HWND window, std::wstring accessibleName)
    : owner_(owner), window_(window), accessibleName_(std::move(accessibleName)) {}

NativeEdit::~NativeEdit() {
  if (!accessible_) return;
  accessible_->disconnect();
  accessible_->Release();
}

NativeEdit* NativeEdit::open(NativeEditOwner* owner, HWND ownerWindow, const RECT& screenRect,
                             const std::wstring& text, const NativeEditOptions& options) {
  DWORD style = WS_POPUP | ES_AUTOHSCROLL | ES_LEFT;
  if (options.password) style |= ES_PASSWORD;
  if (options.readOnly) style |= ES_READONLY;
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"EDIT", text.c_str(), style, screenRect.left, screenRect.top,
                                screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
                                ownerWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return nullptr;
  auto* edit = new NativeEdit(owner, window, options.accessibleName);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(edit));
  edit->systemProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeEdit::subclassProc)));
  if (options.font) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(options.font), FALSE);
  SendMessageW(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  if (options.maxChars > 0) SendMessageW(window, EM_LIMITTEXT, options.maxChars, 0);
  ShowWindow(window, SW_SHOW);
  SetFocus(window);
  int length = GetWindowTextLengthW(window);
  SendMessageW(window, EM_SETSEL, length, length);
  return edit;
}

std::wstring NativeEdit::text() const {
  int length = GetWindowTextLengthW(window_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(window_, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void NativeEdit::close() {
  owner_ = nullptr;
  ShowWindow(window_, SW_HIDE);
  // Posted, so that a close from inside the box's own messages is safe.
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

bool NativeEdit::isEditBox(HWND window) {
  return window && GetWindowLongPtrW(window, GWLP_WNDPROC) ==
                       reinterpret_cast<LONG_PTR>(&NativeEdit::subclassProc);
}

LRESULT NativeEdit::answerAccessible(WPARAM wParam, LPARAM lParam) {
  // The object id is a 32-bit value, sign-extended or not in a 64-bit lParam.
  if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
    if (!accessible_) accessible_ = NamedAccessible::create(window_, OBJID_CLIENT, accessibleName_);
    if (accessible_) return accessible_->answer(wParam);
  }
  return CallWindowProcW(systemProc_, window_, WM_GETOBJECT, wParam, lParam);
}

LRESULT CALLBACK NativeEdit::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return utility::guarded<LRESULT>("DuiLib::NativeEdit::subclassProc", 0, [&]() -> LRESULT {
    auto* edit = reinterpret_cast<NativeEdit*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!edit) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC systemProc = edit->systemProc_;
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (edit->owner_) edit->owner_->nativeDestroyed();
      delete edit;
      return CallWindowProcW(systemProc, window, message, wParam, lParam);
    }
    if (message == WM_GETOBJECT) return edit->answerAccessible(wParam, lParam);
    LRESULT result = CallWindowProcW(systemProc, window, message, wParam, lParam);
    if (message == WM_KILLFOCUS && edit->owner_) edit->owner_->nativeFocusLost();
    return result;
  });
}

}  // namespace DuiLib
