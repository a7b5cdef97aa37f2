// The main window's fixed Yes/No box, in two kinds: 0 asks whether to leave
// the installation, 1 says the installation is still running. At most one is
// open: showing another closes the open one. UI thread only.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "toolkit/window_base.h"
#include "ui/msg_owner_lock.h"

// What leaving the installation does beyond the windows, set by the
// application at start-up so that the box depends on no model or service.
struct LeaveInstallationHooks {
  // Runs while the box is hidden, before anything closes: sends the analytics
  // event "ad_useCancel" with the open id (synchronously), queues the reporter
  // event "ad_cancel_download" with "ext_field" = "notDownload", and wakes the
  // reporter's thread.
  std::function<void()> reportLeaving;
  // Runs after the owner window is hidden and minimised, only when partner
  // offers are enabled: hides the offer window and the window it was shown
  // over, and runs the offer host's offer-flow-finished action.
  std::function<void()> finishOffer;
};

class CMessageBox : public DuiLib::WindowImplBase {
 public:
  enum Kind { kLeaveInstallation = 0, kInstalling = 1 };

  // Closes the open box (if any) and shows a new one of `kind` over `owner`,
  // which stays disabled until the box closes. `value` is not used.
  static void show(HWND owner, int kind, int value);
  // The open box, or null.
  static CMessageBox* openBox();
  // Installs what the "Yes" of the leave question does besides closing windows.
  static void setLeaveHooks(LeaveInstallationHooks hooks);

  int kind() const { return kind_; }
  bool isDialog() const override { return true; }

 protected:
  const wchar_t* getWindowClassName() const override { return L"vlbox"; }
  UINT getClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
  std::wstring getSkinFile() const override { return L"messagebox.xml"; }
  bool notifyFromTable(DuiLib::TNotifyUI& msg) override;
  void onClose(UINT result) override;
  void onFinalMessage(HWND window) override;

 private:
  CMessageBox(HWND owner, int kind);
  // Fills the texts and buttons of the kind.
  void configure();
  void onLeftClick(DuiLib::TNotifyUI& msg);
  void onRightClick(DuiLib::TNotifyUI& msg);
  void onSureClick(DuiLib::TNotifyUI& msg);
  // Forgets the open-box pointer when it is this box, and gives the owner back.
  void finish();

  static const DuiLib::NotifyEntry<CMessageBox> kNotifyTable[];

  HWND owner_;
  int kind_;
  std::unique_ptr<msg::OwnerLock> ownerLock_;
};
