#include "toolkit/window_base.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

#include "skin/resource_map.h"
#include "toolkit/accessible.h"
#include "toolkit/accessible_object.h"
#include "toolkit/button.h"
#include "toolkit/dpi.h"
#include "toolkit/edit.h"
#include "utility/callback_guard.h"
#include "utility/log.h"

namespace DuiLib {
namespace {

// Every live toolkit window by handle, for the message loop's filter.
std::map<HWND, WindowImplBase*>& liveWindows() {
  static auto* windows = new std::map<HWND, WindowImplBase*>();
  return *windows;
}

HINSTANCE moduleInstance() {
  HINSTANCE skin = DuiLib::instance();
  return skin ? skin : GetModuleHandleW(nullptr);
}

}  // namespace

void logMissingControl(std::wstring_view name) {
  std::wstring text(name);
  LOG(L"control missing: %s", text.c_str());
}

WindowImplBase::~WindowImplBase() {
  dropAccessible();
  if (window_) {
    // Destroyed while its OS window lives: detach so no message reaches us.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    liveWindows().erase(window_);
    DestroyWindow(window_);
  }
}

bool WindowImplBase::registerWindowClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = getClassStyle();
  windowClass.lpfnWndProc = &WindowImplBase::windowProc;
  windowClass.hInstance = moduleInstance();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = getWindowClassName();
  if (RegisterClassExW(&windowClass)) return true;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND WindowImplBase::create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle) {
  if (!registerWindowClass()) {
    LOG(L"register window class failed: %s, error %d", getWindowClassName(), static_cast<int>(GetLastError()));
    return nullptr;
  }
  HWND window = CreateWindowExW(exStyle, getWindowClassName(), title ? title : L"", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, moduleInstance(), this);
  if (!window) LOG(L"create window failed: %s, error %d", getWindowClassName(), static_cast<int>(GetLastError()));
  return window;
}

void WindowImplBase::onCreate() {
  // The skin draws the whole window: no system caption or frame.
  LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  SetWindowLongPtrW(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));

  int scale = dpiPercent();
  manager_.init(window_, scale);
  manager_.setNotifier(this);
  std::wstring file = getSkinFolder() + getSkinFile();
  auto root = buildLayoutFile(file, manager_.style(),
                              [this](const std::wstring& className) { return createControl(className); });
  manager_.attachRoot(std::move(root));

  const WindowAttributes& attributes = manager_.style().window;
  if (manager_.isLayered()) {
    SetWindowLongPtrW(window_, GWL_EXSTYLE, GetWindowLongPtrW(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
  }
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOMOVE;
  if (attributes.size.cx <= 0 || attributes.size.cy <= 0) flags |= SWP_NOSIZE;
  SetWindowPos(window_, nullptr, 0, 0, scaleByPercent(attributes.size.cx, scale),
               scaleByPercent(attributes.size.cy, scale), flags);
  if (!manager_.isLayered() && attributes.roundCorner.cx > 0) {
    RECT rect;
    GetWindowRect(window_, &rect);
    SetWindowRgn(window_,
                 CreateRoundRectRgn(0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1,
                                    scaleByPercent(attributes.roundCorner.cx, scale),
                                    scaleByPercent(attributes.roundCorner.cy, scale)),
                 FALSE);
  }
  initWindow();
  manager_.render();
  PostMessageW(window_, kPrepareMessage, 0, 0);
}

void WindowImplBase::centerWindow() {
  if (!window_) return;
  RECT rect;
  GetWindowRect(window_, &rect);
  HWND owner = GetWindow(window_, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : window_, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT area = monitor.rcWork;
  RECT around = area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  int x = (around.left + around.right - width) / 2;
  int y = (around.top + around.bottom - height) / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - width));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowImplBase::showWindow(bool show, bool activate) {
  if (!window_) return;
  ShowWindow(window_, show ? (activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void WindowImplBase::close(UINT result) {
  if (window_) PostMessageW(window_, WM_CLOSE, result, 0);
}

bool WindowImplBase::translateKey(WPARAM key, bool shift, bool repeat) {
  return manager_.translateKey(key, shift, repeat, [this] { return onEscape(); });
}

bool WindowImplBase::onEscape() {
  CControlUI* control = findControl(L"closebtn");
  auto* button = control ? static_cast<CButtonUI*>(control->getInterface(L"Button")) : nullptr;
  if (!button || !button->isVisible() || !button->isEnabled()) return false;
  button->click();
  return true;
}

LRESULT WindowImplBase::answerAccessible(WPARAM wParam, LPARAM lParam) {
  // The object id is a 32-bit value, sign-extended or not in a 64-bit lParam.
  if (static_cast<LONG>(lParam) != OBJID_CLIENT)
    return DefWindowProcW(window_, WM_GETOBJECT, wParam, lParam);
  if (!accessible_) accessible_ = AccessibleWindow::create(window_, &ControlsAccessible::of);
  return accessible_->answer(wParam);
}

void WindowImplBase::announceDialog(bool shown) {
  if (!isDialog() || shown == dialogAnnounced_) return;
  dialogAnnounced_ = shown;
  NotifyWinEvent(shown ? EVENT_SYSTEM_DIALOGSTART : EVENT_SYSTEM_DIALOGEND, window_, OBJID_WINDOW,
                 CHILDID_SELF);
}

void WindowImplBase::dropAccessible() {
  if (!accessible_) return;
  accessible_->disconnect();
  accessible_->Release();
  accessible_ = nullptr;
}

WindowImplBase* WindowImplBase::fromHandle(HWND window) {
  auto& windows = liveWindows();
  if (NativeEdit::isEditBox(window)) window = GetWindow(window, GW_OWNER);
  auto found = window ? windows.find(window) : windows.end();
  return found != windows.end() ? found->second : nullptr;
}

void WindowImplBase::notify(TNotifyUI& msg) {
  if (notifyFromTable(msg)) return;
  if (msg.type == L"click") onClick(msg);
}

void WindowImplBase::onClick(TNotifyUI& msg) {
  if (!msg.sender) return;
  const std::wstring& name = msg.sender->getName();
  if (name == L"closebtn") {
    close();
  } else if (name == L"minbtn") {
    SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    SendMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

LRESULT WindowImplBase::hitTest(LPARAM lParam) const {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(window_, &point);
  RECT client;
  GetClientRect(window_, &client);
  const RECT& caption = manager_.style().window.caption;
  const int scale = manager_.scalePercent();
  RECT area{client.left + scaleByPercent(caption.left, scale), client.top + scaleByPercent(caption.top, scale),
            client.right - scaleByPercent(caption.right, scale), client.top + scaleByPercent(caption.bottom, scale)};
  if (!PtInRect(&area, point)) return HTCLIENT;
  CControlUI* control = manager_.findControlAt(point);
  return control && control->isInteractive() ? HTCLIENT : HTCAPTION;
}

LRESULT WindowImplBase::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  switch (message) {
    case WM_CREATE:
      onCreate();
      return 0;
    case WM_CLOSE:
      onClose(static_cast<UINT>(wParam));
      DestroyWindow(window_);
      return 0;
    case WM_SYSCOMMAND:
      // Alt+F4 and the system's Close act as the close button does.
      if ((wParam & 0xFFF0) == SC_CLOSE && onEscape()) return 0;
      break;
    case WM_GETOBJECT:
      return answerAccessible(wParam, lParam);
    case kAccessibleActionMessage:
      // Not when a box came over the window before the action ran.
      if (IsWindowEnabled(window_)) accessibleControls_.doDefaultAction(static_cast<long>(wParam));
      return 0;
    case kPrepareMessage:
      if (CControlUI* root = manager_.getRoot()) root->forEach([](CControlUI* control) { control->prepare(); });
      return 0;
    case WM_SHOWWINDOW:
      announceDialog(wParam != 0);
      break;
    case WM_SETFOCUS:
      manager_.windowFocused();
      break;
    case WM_DESTROY:
      announceDialog(false);  // destroyed while shown: hidden without WM_SHOWWINDOW
      break;
    case WM_NCCALCSIZE:
      return 0;  // the client area is the whole window
    case WM_NCPAINT:
      return 0;
    case WM_NCACTIVATE:
      if (IsIconic(window_)) break;
      return wParam == 0 ? TRUE : FALSE;
    case WM_NCHITTEST:
      return hitTest(lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      SIZE minSize = manager_.style().window.minSize;
      const int scale = manager_.scalePercent();
      if (minSize.cx > 0) info->ptMinTrackSize.x = scaleByPercent(minSize.cx, scale);
      if (minSize.cy > 0) info->ptMinTrackSize.y = scaleByPercent(minSize.cy, scale);
      return 0;
    }
    case WM_CTLCOLOREDIT: {
      CControlUI* focus = manager_.getFocus();
      auto* edit = focus ? dynamic_cast<CEditUI*>(focus) : nullptr;
      if (edit && edit->nativeWindow() == reinterpret_cast<HWND>(lParam)) {
        return reinterpret_cast<LRESULT>(edit->nativeColors(reinterpret_cast<HDC>(wParam)));
      }
      break;
    }
    default:
      break;
  }
  if (manager_.handleMessage(message, wParam, lParam, result)) return result;
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK WindowImplBase::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return utility::guarded<LRESULT>("DuiLib::WindowImplBase::windowProc", 0, [&]() -> LRESULT {
    WindowImplBase* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<WindowImplBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->window_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      liveWindows()[window] = self;
    } else {
      self = reinterpret_cast<WindowImplBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      self->dropAccessible();
      LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      liveWindows().erase(window);
      self->window_ = nullptr;
      self->manager_.init(nullptr, self->manager_.scalePercent());
      self->onFinalMessage(window);  // may delete the object
      return result;
    }
    return self->handleMessage(message, wParam, lParam);
  });
}

}  // namespace DuiLib
