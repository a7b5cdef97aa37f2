// One window's side of the toolkit: its control tree, fonts and defaults,
// the hot, pressed and focused controls, timers, notifications, and the
// double-buffered drawing (layered windows get their shadow composed here).
// UI thread only.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/notify.h"
#include "toolkit/surface.h"
#include "toolkit/tooltip.h"
#include "toolkit/window_style.h"

namespace DuiLib {

class CButtonUI;
class COptionUI;

class CPaintManagerUI {
 public:
  // A private message that draws the window once after changes.
  static constexpr UINT kRenderMessage = WM_APP + 0x3A1;

  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Binds the manager to its window (null for a manager that only lays out,
  // as tests use) and fixes the window's scale in percent.
  void init(HWND window, int scalePercent);
  HWND getPaintWindow() const { return window_; }
  // True while the window is on screen: shown and not minimised.
  bool isShowing() const { return window_ && IsWindowVisible(window_) && !IsIconic(window_); }
  int scalePercent() const { return scalePercent_; }
  WindowStyle& style() { return style_; }
  const WindowStyle& style() const { return style_; }
  FontTable& fonts() { return style_.fonts; }
  // The attribute list a layout's Default element gave `className`, or null.
  const std::wstring* defaultAttributes(const std::wstring& className) const;
  bool isLayered() const { return !style_.window.layeredImage.empty(); }

  // Takes the root control and attaches the tree to this manager.
  void attachRoot(std::unique_ptr<CControlUI> root);
  CControlUI* getRoot() const { return root_.get(); }
  // The first control named `name`, or null.
  CControlUI* findControl(std::wstring_view name) const;
  CControlUI* findControlAt(POINT point) const;
  // Places the root inside `client` (its padding and fixed size apply).
  void layout(const RECT& client);

  void setNotifier(INotifyUI* notifier) { notifier_ = notifier; }
  void sendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);

  CControlUI* getFocus() const { return focus_; }
  // Moves the focus; the old control gets KillFocus, the new one SetFocus.
  void setFocus(CControlUI* control);
  // Moves the focus to the first shown, enabled control that takes a page's
  // focus ("pagefocus"); false when there is none.
  bool focusPageControl();
  // Moves the focus to the next (or previous) visible, enabled Tab stop, in
  // the order of their "taborder", then of the layout.
  bool moveFocus(bool backward);
  // True after keyboard navigation: focused controls then show a focus mark.
  bool showsFocusCues() const { return focusCues_; }
  CControlUI* getHot() const { return hot_; }
  // The visible, enabled button marked default, or null.
  CButtonUI* defaultButton() const;
  // Handles Tab, Enter, Escape and Space for this window; false when the key
  // is not one of them or nothing took it. `escape` runs for Escape. A held
  // key (`repeat`) presses nothing again.
  bool translateKey(WPARAM key, bool shift, bool repeat, const std::function<bool()>& escape);

  // Tells assistive technology of a change of `control` (null: the window
  // itself) with an EVENT_ constant of NotifyWinEvent.
  void raiseAccessibleEvent(DWORD event, const CControlUI* control);
  // Controls were shown or hidden: assistive technology hears once, at the
  // next drawing, that the window's controls changed, and of every alert
  // that has come up.
  void accessibleChildrenChanged() { childrenChanged_ = alertsDue_ = true; }
  // An alert's text changed: it is said again, at the next drawing.
  void accessibleAlertsChanged() { alertsDue_ = true; }
  // The window took the system's keyboard focus: a reader hears which control
  // has it within the window.
  void windowFocused();
  // Keyboard navigation is in use though this window does not have the
  // keyboard (another window's order passes through its focused control):
  // the focus mark shows.
  void showFocusCues();

  // Called by controls: one is being destroyed, or was hidden or disabled.
  void forgetControl(CControlUI* control);
  void controlHidden(CControlUI* control);

  void addOptionGroup(const std::wstring& group, COptionUI* option);
  void removeOptionGroup(const std::wstring& group, COptionUI* option);
  const std::vector<COptionUI*>& optionGroup(const std::wstring& group);

  // A repeating timer of `control`; its ticks arrive as UIEvent::Timer with `id`.
  bool setTimer(CControlUI* control, UINT id, UINT intervalMs);
  void killTimer(CControlUI* control, UINT id);

  // Schedules a layout and drawing of the window.
  void invalidate();
  // Schedules drawing `part` of the window again (window pixels) where only
  // looks changed: the layout stays as it is.
  void invalidate(const RECT& part);
  // Draws now and shows a layered window's picture: only the parts asked
  // for when nothing asked for a layout since the last drawing, otherwise
  // (or when nothing was asked for at all) the whole window, laid out anew.
  void render();
  // The window's last drawn picture (with its shadow when layered).
  const Surface& picture() const;
  // A device context for measuring text.
  HDC measureDC() const { return sharedMeasureDC(); }
  static HDC sharedMeasureDC();
  // The fonts of controls that belong to no window.
  static const FontTable& fallbackFonts();

  // Handles the window's input, timer and paint messages; false when the
  // message is not the manager's.
  bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void setHot(CControlUI* control);
  void onMouseMove(POINT point);
  void onButtonDown(POINT point, bool doubleClick);
  void onButtonUp(POINT point);
  void onCaptureLost();
  void onMouseWheel(WPARAM wParam, LPARAM lParam);
  void onHover();
  bool onSetCursor();
  void onTimer(UINT_PTR id);
  void onPaint();
  void raiseFocusEvent(const CControlUI* control);
  // Raises EVENT_SYSTEM_ALERT for every alert that is newly shown, or shows
  // another text, while the window is on screen.
  void announceAlerts();
  // The keyboard focus's mark, drawn over everything in the skin's accent.
  void paintFocusMark(PaintContext& context) const;
  // True when a drawing has been asked for since the last one.
  bool renderDue() const;
  // Has the window draw itself soon: the whole window, or `part` of it.
  void scheduleRender(const RECT* part);
  bool contains(const CControlUI* ancestor, const CControlUI* control) const;

  struct Timer {
    CControlUI* control;
    UINT id;
  };

  HWND window_ = nullptr;
  int scalePercent_ = 100;
  WindowStyle style_;
  std::unique_ptr<CControlUI> root_;
  INotifyUI* notifier_ = nullptr;
  CControlUI* focus_ = nullptr;
  CControlUI* hot_ = nullptr;
  CControlUI* captured_ = nullptr;
  bool focusCues_ = false;
  bool childrenChanged_ = false;
  bool alertsDue_ = false;
  std::map<long, std::wstring> announcedAlerts_;  // by accessible id, what each said
  bool trackingMouse_ = false;
  bool renderPosted_ = false;
  bool dirty_ = true;  // a layout and a whole drawing are due
  RECT dirtyPart_{};   // otherwise, the part to draw again
  std::map<std::wstring, std::vector<COptionUI*>> optionGroups_;
  std::map<UINT_PTR, Timer> timers_;
  UINT_PTR nextTimer_ = 0x1000;
  Surface content_;
  LayeredPicture layered_;
  Tooltip tooltip_;
};

}  // namespace DuiLib
