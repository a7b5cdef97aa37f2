#include "ui/msg_box_window.h"

#include <algorithm>
#include <utility>

#include "skin/language_table.h"
#include "toolkit/accessible.h"
#include "toolkit/container.h"
#include "ui/msg_registry.h"

namespace msg {

void registerBoxFonts(DuiLib::CPaintManagerUI& manager) {
  // "Microsoft YaHei" by its Chinese name.
  manager.fonts().addSizeLadder(L"\x5FAE\x8F6F\x96C5\x9ED1", 4);
  manager.invalidate();
}

MessageBoxWindow::MessageBoxWindow(HWND owner, std::wstring skinFile)
    : ownerLock_(owner), skinFile_(std::move(skinFile)) {}

MessageBoxWindow::~MessageBoxWindow() {
  if (!text_.empty()) removeOpenBox(text_);
}

void MessageBoxWindow::initWindow() { registerBoxFonts(manager()); }

void MessageBoxWindow::setIcon(const std::wstring& path) {
  DuiLib::CControlUI* icon = find<DuiLib::CControlUI>(L"msgiconimage");
  if (!path.empty()) {
    if (icon) icon->setBkImage(path);
    return;
  }
  if (icon) icon->setVisible(false);
  if (DuiLib::CControlUI* description = find<DuiLib::CControlUI>(L"descriptlabel")) {
    description->setAttribute(L"width", L"340");
  }
}

void MessageBoxWindow::setTitle(const std::wstring& text) {
  if (DuiLib::CControlUI* title = find<DuiLib::CControlUI>(L"titlelabel")) title->setText(text);
  SetWindowTextW(getHWND(), text.c_str());
}

void MessageBoxWindow::setText(const std::wstring& text) {
  if (DuiLib::CControlUI* description = find<DuiLib::CControlUI>(L"descriptlabel")) {
    description->setAttribute(L"align", L"center");
    description->setAttribute(L"valign", L"vcenter");
    description->setAttribute(L"multiline", L"true");
    description->setText(text);
  }
  text_ = text;
}

void MessageBoxWindow::setCloseAction(std::function<void()> action) { closeAction_ = std::move(action); }

void MessageBoxWindow::insertButton(std::unique_ptr<CSelectionUI> button) {
  auto* row = find<DuiLib::CContainerUI>(L"bottombar");
  if (!row) return;
  // In front of the row's last spacer, so the buttons stay between the two.
  row->addAt(std::move(button), std::max(0, row->getCount() - 1));
  chooseDefaultButton();
  nameCloseButtonApart();
}

std::vector<CSelectionUI*> MessageBoxWindow::buttons() const {
  std::vector<CSelectionUI*> found;
  auto* row = find<DuiLib::CContainerUI>(L"bottombar");
  for (int i = 0; row && i < row->getCount(); ++i) {
    if (auto* button = static_cast<CSelectionUI*>(row->getItemAt(i)->getInterface(L"Selection")))
      found.push_back(button);
  }
  return found;
}

void MessageBoxWindow::chooseDefaultButton() {
  std::vector<CSelectionUI*> row = buttons();
  auto main =
      std::find_if(row.begin(), row.end(), [](CSelectionUI* b) { return b->spec().primary; });
  if (main == row.end()) main = row.begin();
  for (CSelectionUI* button : row) button->setDefault(button == *main);
}

void MessageBoxWindow::nameCloseButtonApart() {
  DuiLib::CControlUI* close = findControl(L"closebtn");
  if (!close) return;
  for (const wchar_t* name : {L"@download_close", L"@cancel"}) {
    std::wstring said = name;
    DuiLib::resolveLangText(said);
    std::vector<CSelectionUI*> row = buttons();
    bool taken = std::any_of(row.begin(), row.end(),
                             [&](CSelectionUI* b) { return DuiLib::accessibleName(*b) == said; });
    if (!taken) {
      close->setAccessibleName(name);
      return;
    }
  }
}

void MessageBoxWindow::addButton(const ButtonSpec& spec) { insertButton(std::make_unique<CSelectionUI>(spec)); }

void MessageBoxWindow::addRemoteButton(const ButtonSpec& spec) {
  insertButton(std::make_unique<CSelectionUIRemote>(spec));
}

void MessageBoxWindow::notify(DuiLib::TNotifyUI& msg) {
  bool click = msg.type == L"click" && msg.sender;
  auto* button =
      click ? static_cast<CSelectionUI*>(msg.sender->getInterface(L"Selection")) : nullptr;
  bool closeButton = click && msg.sender->getName() == L"closebtn";
  if (!button && !closeButton) {
    WindowImplBase::notify(msg);
    return;
  }
  std::function<void()> action = button ? button->spec().action : closeAction_;
  if (button) showWindow(false);
  // The box closes before the action runs, and nothing of it is used
  // afterwards: the action may close the owner, and the box goes with it.
  ownerLock_.release();
  close(1);
  if (action) action();
}

void MessageBoxWindow::onClose(UINT) { ownerLock_.release(); }

bool MessageBoxWindow::onEscape() {
  if (!WindowImplBase::onEscape()) close(IDCANCEL);  // a box always goes
  return true;
}

void MessageBoxWindow::onFinalMessage(HWND) {
  if (deletesItself_) delete this;
}

IMessageBox* createMessageBoxWindow(HWND owner, const std::wstring& layout) {
  auto* box = new MessageBoxWindow(owner, layout);
  if (!box->create(owner, nullptr, WS_POPUP | WS_BORDER | WS_SYSMENU, WS_EX_TOPMOST | WS_EX_TOOLWINDOW)) {
    delete box;  // lets go of the owner
    return nullptr;
  }
  box->deletesItself_ = true;
  box->centerWindow();
  box->showWindow(true, true);
  return box;
}

}  // namespace msg
