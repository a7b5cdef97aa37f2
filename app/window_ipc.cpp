#include "app/window_ipc.h"

#include "utility/callback_guard.h"
#include "utility/log.h"

namespace utility {

namespace {

// Application-range messages, WM_USER itself excluded. Nothing of the program
// sends data blocks (WM_COPYDATA): any process could, so none is taken.
bool isDispatched(UINT message) { return message > WM_USER; }

const wchar_t* nameOrNull(const std::wstring& name) {
  return name.empty() ? nullptr : name.c_str();
}

}  // namespace

WindowIPC::~WindowIPC() {
  if (!server_ || !window_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool WindowIPC::open(const std::wstring& className, IWindowIPCHandle* handler) {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &WindowIPC::windowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className.c_str();
  RegisterClassW(&windowClass);  // fails harmlessly when the class already exists

  server_ = true;
  CreateWindowExW(0, className.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (!window_) return false;
  handler_ = handler;
  return true;
}

bool WindowIPC::open(const std::wstring& className, const std::wstring& windowName) {
  SetLastError(0);
  window_ = FindWindowExW(nullptr, nullptr, nameOrNull(className), nameOrNull(windowName));
  if (window_) return true;
  DWORD error = GetLastError();
  if (error != 0 && error != ERROR_FILE_NOT_FOUND)
    LOG(L"className:%s, windowName:%s, error:%d", className.c_str(), windowName.c_str(),
        (int)error);
  return false;
}

bool WindowIPC::post(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window_) return false;
  return PostMessageW(window_, message, wParam, lParam) != FALSE;
}

LRESULT CALLBACK WindowIPC::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return utility::guarded<LRESULT>("utility::WindowIPC::windowProc", 0, [&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      auto* endpoint =
          static_cast<WindowIPC*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      endpoint->window_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(endpoint));
      return DefWindowProcW(window, message, wParam, lParam);
    }
    if (!isDispatched(message)) return DefWindowProcW(window, message, wParam, lParam);

    // The handler is set only after creation: messages during creation are dropped.
    auto* endpoint = reinterpret_cast<WindowIPC*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (endpoint && endpoint->window_ == window && endpoint->handler_)
      endpoint->handler_->onHandleWindowIPC(message, wParam, lParam);
    return 0;
  });
}

}  // namespace utility
