// The base of every skinned window: creates the OS window, builds its control
// tree from the skin layout, draws it (layered with a shadow when the layout
// asks for one), routes notifications to the window's table, answers
// assistive technology (toolkit/accessible_object.h), and destroys itself
// through the final-message hook. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "toolkit/accessible_controls.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/notify.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

class AccessibleWindow;

// Logs a control name that a window asked for and its layout lacks.
void logMissingControl(std::wstring_view name);

class WindowImplBase : public INotifyUI {
 public:
  // A private message, posted when the window is made: once the message
  // loop runs (the window is up), its controls prepare what they show later.
  static constexpr UINT kPrepareMessage = WM_APP + 0x3A3;

  WindowImplBase() = default;
  virtual ~WindowImplBase();
  WindowImplBase(const WindowImplBase&) = delete;
  WindowImplBase& operator=(const WindowImplBase&) = delete;

  // Creates the OS window (its size comes from the layout). Null on failure.
  HWND create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle);
  HWND getHWND() const { return window_; }
  operator HWND() const { return window_; }
  // Centres the window over its owner when that is shown, else on its monitor's work area.
  void centerWindow();
  void showWindow(bool show = true, bool activate = true);
  // Asks the window to close with `result` (a posted WM_CLOSE).
  void close(UINT result = IDOK);

  CPaintManagerUI& manager() { return manager_; }
  CControlUI* findControl(std::wstring_view name) const { return manager_.findControl(name); }
  // The control `name` as `T` (null when missing or of another class; logged when missing).
  template <class T>
  T* find(std::wstring_view name) const;

  // Handles Tab, Enter, Escape and Space for this window (the message loop's
  // filter); `repeat` for a key held down.
  bool translateKey(WPARAM key, bool shift, bool repeat = false);
  // A dialog to assistive technology (a message box), rather than a window.
  virtual bool isDialog() const { return false; }
  // The toolkit window that `window` is, or whose edit box it is; null for any
  // other window, children of a toolkit window included (they keep their keys).
  static WindowImplBase* fromHandle(HWND window);
  // What the window tells assistive technology of its controls.
  ControlsAccessible& accessibleControls() { return accessibleControls_; }

  // Sends notifications to the window's table, then to the base click handling.
  void notify(TNotifyUI& msg) override;

 protected:
  virtual const wchar_t* getWindowClassName() const = 0;
  virtual UINT getClassStyle() const { return CS_DBLCLKS; }
  virtual std::wstring getSkinFolder() const { return L""; }
  virtual std::wstring getSkinFile() const = 0;
  // Makes controls of classes the toolkit does not know.
  virtual CControlUI* createControl(const std::wstring&) { return nullptr; }
  // Runs once the layout is built and before the window is first drawn.
  virtual void initWindow() {}
  // Runs after the OS window is gone; a window made with new deletes itself here.
  virtual void onFinalMessage(HWND) {}
  // The window's notification table (routeNotify); false when no row matched.
  virtual bool notifyFromTable(TNotifyUI&) { return false; }
  // The base click handling: closebtn, minbtn, maxbtn, restorebtn.
  virtual void onClick(TNotifyUI& msg);
  // WM_CLOSE: `result` as given to close(). The window is destroyed after it.
  virtual void onClose(UINT) {}
  // Escape pressed with no edit box focused, or the system's Close (Alt+F4);
  // true when handled. By default a click on a shown, enabled "closebtn".
  virtual bool onEscape();
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool registerWindowClass();
  void onCreate();
  LRESULT hitTest(LPARAM lParam) const;
  LRESULT answerAccessible(WPARAM wParam, LPARAM lParam);
  // Tells assistive technology that a dialog opens or closes, once each.
  void announceDialog(bool shown);
  // Cuts the accessible object off from the window that goes.
  void dropAccessible();

  HWND window_ = nullptr;
  AccessibleWindow* accessible_ = nullptr;  // made at the first question
  ControlsAccessible accessibleControls_{*this};
  bool dialogAnnounced_ = false;
  CPaintManagerUI manager_;
};

template <class T>
T* WindowImplBase::find(std::wstring_view name) const {
  CControlUI* control = findControl(name);
  if (!control) {
    logMissingControl(name);
    return nullptr;
  }
  return dynamic_cast<T*>(control);
}

}  // namespace DuiLib
