#include "offer/offer_host_windows.h"

#include <string>

#include "offer/offer_art.h"
#include "offer/offer_host_texts.h"
#include "offer/sdk_api_impl.h"
#include "utility/callback_guard.h"

namespace offer {
namespace {

constexpr wchar_t kHostClass[] = L"Installer Main Window";
constexpr wchar_t kAcceptClass[] = L"Install_Accept";
constexpr wchar_t kRejectClass[] = L"Install_reject";
constexpr wchar_t kCloseClass[] = L"Install_Close";
constexpr wchar_t kTitleClass[] = L"Installer_main_title";
constexpr wchar_t kContainerClass[] = L"Install_ad_parent";
constexpr COLORREF kContainerColour = RGB(15, 15, 15);

SDKAPIImpl* hostOf(HWND window) { return hostOfWindow(window); }

// Paints through `paint(dc, client, host)` between BeginPaint and EndPaint.
template <typename Paint>
LRESULT paintWith(HWND window, Paint paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  if (SDKAPIImpl* host = hostOf(window)) paint(dc, client, *host);
  EndPaint(window, &ps);
  return 0;
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      return 0;  // only the host's own destroying removes it
    case WM_DESTROY:
      if (SDKAPIImpl* host = hostOf(window)) host->onHostDestroyed();
      return 0;
    case WM_NCHITTEST:
      return HTCAPTION;  // dragged by any point
    case WM_MOVE:
      if (SDKAPIImpl* host = hostOf(window)) host->onHostMoved();
      return 0;
    case WM_PAINT:
      return paintWith(window, [](HDC dc, const RECT&, SDKAPIImpl& host) {
        OfferArt::get(host.scalePercent()).drawBackground(dc, 0, 0);
        host.access().paintFocusMark(dc);
      });
    case WM_GETOBJECT:
      if (SDKAPIImpl* host = hostOf(window))
        return host->access().answerAccessible(window, wParam, lParam);
      break;
    case WM_KEYDOWN:
      if (SDKAPIImpl* host = hostOf(window)) {
        bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        bool repeat = (lParam & (1 << 30)) != 0;  // the key was down already
        if (host->access().onKey(wParam, shift, repeat)) return 0;
      }
      break;
    case WM_SETFOCUS:
      if (SDKAPIImpl* host = hostOf(window)) host->access().onHostFocused();
      break;
    case WM_SYSCOMMAND:
      // Alt+F4 acts as the close button, which asks first; the system never
      // closes the host.
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        if (SDKAPIImpl* host = hostOf(window)) host->onClose();
        return 0;
      }
      break;
    case DuiLib::kAccessibleActionMessage:
      // Not when a box came over the offer before the action ran.
      if (SDKAPIImpl* host = hostOf(window); host && IsWindowEnabled(window))
        host->access().doDefaultAction(static_cast<long>(wParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Accept and Reject: the button face and its text.
LRESULT buttonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, HostText text,
                   void (SDKAPIImpl::*click)()) {
  if (message == WM_PAINT) {
    return paintWith(window, [text](HDC dc, const RECT& client, SDKAPIImpl& host) {
      const OfferArt& art = OfferArt::get(host.scalePercent());
      art.drawButton(dc);
      art.drawText(dc, client, hostText(text), RGB(0, 0, 0),
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    });
  }
  if (message == WM_LBUTTONDOWN) {
    // The click may destroy this window with the host: nothing follows then.
    if (SDKAPIImpl* host = hostOf(window)) (host->*click)();
    if (!IsWindow(window)) return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK acceptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return buttonProc(window, message, wParam, lParam, HostText::kAccept, &SDKAPIImpl::onAccept);
}

LRESULT CALLBACK rejectProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return buttonProc(window, message, wParam, lParam, HostText::kReject, &SDKAPIImpl::onReject);
}

LRESULT CALLBACK closeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    return paintWith(window, [](HDC dc, const RECT&, SDKAPIImpl& host) {
      OfferArt::get(host.scalePercent()).drawCloseGlyph(dc);
    });
  }
  if (message == WM_LBUTTONDOWN) {
    if (SDKAPIImpl* host = hostOf(window)) host->onClose();
    if (!IsWindow(window)) return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK titleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    return paintWith(window, [window](HDC dc, const RECT& client, SDKAPIImpl& host) {
      // The host's background shows through, as the title has none of its own.
      RECT place;
      GetWindowRect(window, &place);
      MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
      const OfferArt& art = OfferArt::get(host.scalePercent());
      art.drawBackground(dc, -place.left, -place.top);
      art.drawText(dc, client, hostText(HostText::kTitle), RGB(255, 255, 255),
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    });
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// What Windows calls: `proc` with no C++ exception let out (a click reaches
// the library's answers and the main window's).
template <WNDPROC proc>
LRESULT CALLBACK guardedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return utility::guarded<LRESULT>("offer host window", 0,
                                   [&] { return proc(window, message, wParam, lParam); });
}

struct WindowClass {
  const wchar_t* name;
  WNDPROC proc;
  HBRUSH background;
  LPCWSTR cursor;  // null: none
};

bool registerClass(const WindowClass& c) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = c.proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = c.cursor ? LoadCursorW(nullptr, c.cursor) : nullptr;
  wc.hbrBackground = c.background;
  wc.lpszClassName = c.name;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool registerClasses() {
  static bool registered = false;
  if (registered) return true;
  static HBRUSH container = CreateSolidBrush(kContainerColour);  // lives with the class
  const WindowClass classes[] = {
      {kHostClass, &guardedProc<&hostProc>, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)),
       IDC_ARROW},
      {kAcceptClass, &guardedProc<&acceptProc>, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
       IDC_HAND},
      {kRejectClass, &guardedProc<&rejectProc>, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
       IDC_HAND},
      {kCloseClass, &guardedProc<&closeProc>, nullptr, IDC_HAND},
      {kTitleClass, &guardedProc<&titleProc>, nullptr, nullptr},
      {kContainerClass, &DefWindowProcW, container, nullptr},
  };
  for (const WindowClass& c : classes) {
    if (!registerClass(c)) return false;
  }
  registered = true;
  return true;
}

HWND createChild(SDKAPIImpl* owner, HWND host, const wchar_t* className, const RECT& place,
                 DWORD style) {
  HWND child = CreateWindowExW(0, className, L"", WS_CHILD | style, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, host, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (child) SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  return child;
}

}  // namespace

SDKAPIImpl* hostOfWindow(HWND window) {
  return reinterpret_cast<SDKAPIImpl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

OfferHostWindows createOfferHostWindows(SDKAPIImpl* owner, HWND ownerWindow,
                                        const OfferHostLayout& layout) {
  OfferHostWindows made;
  if (!registerClasses()) return made;
  const RECT& r = layout.host;
  made.host = CreateWindowExW(0, kHostClass, kHostClass, WS_POPUP, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, ownerWindow, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!made.host) return made;
  SetWindowLongPtrW(made.host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  made.reject = createChild(owner, made.host, kRejectClass, layout.reject, WS_CLIPCHILDREN);
  made.accept = createChild(owner, made.host, kAcceptClass, layout.accept, WS_CLIPCHILDREN);
  made.close = createChild(owner, made.host, kCloseClass, layout.close, WS_CLIPCHILDREN | WS_VISIBLE);
  made.title = createChild(owner, made.host, kTitleClass, layout.title, WS_VISIBLE);
  made.container = createChild(owner, made.host, kContainerClass, layout.container,
                               WS_CLIPCHILDREN | WS_VISIBLE);
  if (!made.reject || !made.accept || !made.close || !made.title || !made.container) {
    SetWindowLongPtrW(made.host, GWLP_USERDATA, 0);  // nothing to tell the host
    DestroyWindow(made.host);
    return {};
  }
  return made;
}

}  // namespace offer
