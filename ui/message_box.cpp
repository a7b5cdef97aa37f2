#include "ui/message_box.h"

#include "skin/language_table.h"
#include "toolkit/button.h"

namespace {

CMessageBox* g_openBox = nullptr;

LeaveInstallationHooks& leaveHooks() {
  static auto* hooks = new LeaveInstallationHooks();
  return *hooks;
}

void setButtonImages(DuiLib::CControlUI* button, const wchar_t* file) {
  if (!button) return;
  std::wstring prefix = std::wstring(L"file='") + file + L"' source='";
  button->setAttribute(L"normalimage", prefix + L"0,0,100,32'");
  button->setAttribute(L"hotimage", prefix + L"100,0,200,32'");
  button->setAttribute(L"pushedimage", prefix + L"200,0,300,32'");
}

void setText(DuiLib::WindowImplBase& box, const wchar_t* control, const std::wstring& text) {
  if (DuiLib::CControlUI* found = box.find<DuiLib::CControlUI>(control)) found->setText(text);
}

void setVisible(DuiLib::WindowImplBase& box, const wchar_t* control, bool visible) {
  if (DuiLib::CControlUI* found = box.find<DuiLib::CControlUI>(control)) found->setVisible(visible);
}

}  // namespace

const DuiLib::NotifyEntry<CMessageBox> CMessageBox::kNotifyTable[] = {
    {L"click", L"btnLeft", &CMessageBox::onLeftClick},
    {L"click", L"btnRight", &CMessageBox::onRightClick},
    {L"click", L"btnSure", &CMessageBox::onSureClick},
    {L"", L"", nullptr},
};

CMessageBox::CMessageBox(HWND owner, int kind) : owner_(owner), kind_(kind) {}

void CMessageBox::show(HWND owner, int kind, int) {
  if (g_openBox) g_openBox->close(1);
  auto* box = new CMessageBox(owner, kind);
  g_openBox = box;
  if (!box->create(owner, nullptr, 0, 0)) {
    // Its final message has run (or no window was ever made): nothing is open.
    if (g_openBox == box) {
      g_openBox = nullptr;
      delete box;
    }
    return;
  }
  box->configure();
  box->centerWindow();
  box->showWindow(true, true);
  box->ownerLock_ = std::make_unique<msg::OwnerLock>(owner);
}

CMessageBox* CMessageBox::openBox() { return g_openBox; }

void CMessageBox::setLeaveHooks(LeaveInstallationHooks hooks) { leaveHooks() = std::move(hooks); }

void CMessageBox::configure() {
  setText(*this, L"titlelabel", langText("noice"));
  SetWindowTextW(getHWND(), langText("noice").c_str());  // its name to assistive technology
  setText(*this, L"btnLeft", langText("Yes"));
  setText(*this, L"btnRight", langText("No"));
  setText(*this, L"btnSure", langText("Yes"));
  if (kind_ == kLeaveInstallation) {
    setText(*this, L"descriptlabel", langText("exit"));
    setButtonImages(findControl(L"btnLeft"), L"button_box_cancel.png");
    setButtonImages(findControl(L"btnRight"), L"button_box_hot.png");
  } else if (kind_ == kInstalling) {
    setText(*this, L"descriptlabel", langText("installing_exit_tip"));
    setVisible(*this, L"bottombar", false);
    setVisible(*this, L"bottombar2", true);
  }
}

bool CMessageBox::notifyFromTable(DuiLib::TNotifyUI& msg) { return DuiLib::routeNotify(this, kNotifyTable, msg); }

void CMessageBox::onLeftClick(DuiLib::TNotifyUI&) {
  showWindow(false);
  if (leaveHooks().reportLeaving) leaveHooks().reportLeaving();
  close(1);
  HWND owner = owner_;
  ShowWindow(owner, SW_HIDE);
  CloseWindow(owner);
  if (leaveHooks().finishOffer) leaveHooks().finishOffer();
  PostQuitMessage(0);
}

void CMessageBox::onRightClick(DuiLib::TNotifyUI&) { close(1); }

void CMessageBox::onSureClick(DuiLib::TNotifyUI&) { close(1); }

void CMessageBox::onClose(UINT) {
  // Giving the owner back before the box is destroyed lets it take the activation.
  if (ownerLock_) ownerLock_->release();
}

void CMessageBox::finish() {
  if (g_openBox == this) g_openBox = nullptr;
  // A box replaced by a newer one leaves the owner to that one (the lock counts).
  if (ownerLock_) ownerLock_->release();
  if (!owner_ || msg::OwnerLock::holders(owner_) > 0) return;
  BringWindowToTop(owner_);
  ShowWindow(owner_, SW_SHOW);
}

void CMessageBox::onFinalMessage(HWND) {
  finish();
  delete this;
}
