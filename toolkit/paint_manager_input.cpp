// The window messages a manager handles: mouse tracking, clicks, the wheel,
// cursors, tooltips, timers and painting.
#include <windowsx.h>

#include "toolkit/paint_manager.h"

namespace DuiLib {

bool CPaintManagerUI::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_MOUSEMOVE:
      onMouseMove(point);
      return true;
    case WM_MOUSELEAVE:
      trackingMouse_ = false;
      tooltip_.hide();
      if (!captured_) setHot(nullptr);
      return true;
    case WM_MOUSEHOVER:
      trackingMouse_ = false;
      onHover();
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      onButtonDown(point, message == WM_LBUTTONDBLCLK);
      return true;
    case WM_LBUTTONUP:
      onButtonUp(point);
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window_) onCaptureLost();
      return true;
    case WM_CANCELMODE:
      onCaptureLost();
      return true;
    case WM_MOUSEWHEEL:
      onMouseWheel(wParam, lParam);
      return true;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT || !onSetCursor()) return false;
      result = TRUE;
      return true;
    case WM_TIMER:
      onTimer(wParam);
      return true;
    case WM_PAINT:
      onPaint();
      return true;
    case kRenderMessage:
      renderPosted_ = false;
      if (renderDue()) render();
      return true;
    case WM_SIZE:
      invalidate();
      return false;
    case WM_SHOWWINDOW:
      if (wParam) invalidate();  // what only plays on screen starts again
      return false;
    default:
      return false;
  }
}

void CPaintManagerUI::setHot(CControlUI* control) {
  if (control == hot_) return;
  tooltip_.hide();
  CControlUI* old = hot_;
  hot_ = control;
  if (old) {
    TEventUI event{UIEvent::MouseLeave};
    old->doEvent(event);
  }
  if (hot_) {
    TEventUI event{UIEvent::MouseEnter};
    hot_->doEvent(event);
  }
}

void CPaintManagerUI::onMouseMove(POINT point) {
  if (!trackingMouse_ && window_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_HOVER, window_, HOVER_DEFAULT};
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
  }
  TEventUI event{UIEvent::MouseMove, point};
  if (captured_) {
    captured_->doEvent(event);
    return;
  }
  CControlUI* control = findControlAt(point);
  if (control && !control->isEnabled()) control = nullptr;
  setHot(control);
  if (hot_) hot_->doEvent(event);
}

void CPaintManagerUI::onButtonDown(POINT point, bool doubleClick) {
  tooltip_.hide();
  if (focusCues_) {
    focusCues_ = false;  // the mouse is in use: the focus mark goes
    invalidate();
  }
  CControlUI* control = findControlAt(point);
  if (control && !control->isEnabled()) control = nullptr;
  // Leaving an edit box may open a box that disables this window: then the
  // press is over before it started.
  setFocus(control && control->wantsFocus() ? control : nullptr);
  if (!control || !window_ || !IsWindowEnabled(window_) || findControlAt(point) != control) return;
  SetCapture(window_);
  captured_ = control;
  TEventUI event{doubleClick ? UIEvent::DoubleClick : UIEvent::ButtonDown, point};
  control->doEvent(event);
}

void CPaintManagerUI::onButtonUp(POINT point) {
  CControlUI* control = captured_;
  captured_ = nullptr;
  if (GetCapture() == window_) ReleaseCapture();
  if (!control) return;
  TEventUI event{UIEvent::ButtonUp, point};
  control->doEvent(event);  // may notify "click": nothing of the manager is used after it
}

void CPaintManagerUI::onCaptureLost() {
  if (!captured_) return;
  CControlUI* control = captured_;
  captured_ = nullptr;
  control->clearMouseState();
}

void CPaintManagerUI::onMouseWheel(WPARAM wParam, LPARAM lParam) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (window_) ScreenToClient(window_, &point);
  TEventUI event{UIEvent::MouseWheel, point, wParam};
  for (CControlUI* control = findControlAt(point); control; control = control->getParent()) {
    if (control->getInterface(L"RichEdit")) {
      control->doEvent(event);
      return;
    }
  }
}

void CPaintManagerUI::onHover() {
  if (!hot_ || captured_) return;
  std::wstring text = hot_->resolvedToolTip();
  if (text.empty()) return;
  POINT cursor;
  GetCursorPos(&cursor);
  cursor.y += GetSystemMetrics(SM_CYCURSOR) / 2;
  tooltip_.show(window_, text, cursor);
}

bool CPaintManagerUI::onSetCursor() {
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(window_, &point);
  CControlUI* control = findControlAt(point);
  bool hand = control && control->isEnabled() && control->showsHandCursor();
  SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
  return true;
}

void CPaintManagerUI::onPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (!isLayered()) {
    if (renderDue()) render();
    if (content_.dc()) {
      BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
             paint.rcPaint.bottom - paint.rcPaint.top, content_.dc(), paint.rcPaint.left, paint.rcPaint.top,
             SRCCOPY);
    }
  }
  EndPaint(window_, &paint);
}

}  // namespace DuiLib
