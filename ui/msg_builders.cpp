#include "ui/msg_builders.h"

#include <cwchar>
#include <map>
#include <vector>

#include "skin/language_table.h"
#include "ui/msg_box_window.h"
#include "ui/msg_registry.h"

namespace msg {
namespace {

void showBox(HWND owner, const std::vector<const ButtonSpec*>& buttons, const std::wstring& icon,
             const std::wstring& title, const std::wstring& text, std::function<void()> closeAction) {
  if (!addOpenBox(text)) return;  // the same box is already up
  const wchar_t* layout = icon.empty() ? L"common/xml_messagebox_noicon.xml" : L"common/xml_messagebox.xml";
  IMessageBox* box = createMessageBoxWindow(owner, layout);
  if (!box) {
    removeOpenBox(text);  // no box shows it, so it must not block the next request
    return;
  }
  box->setIcon(icon);
  box->setTitle(title);
  box->setText(text);
  if (closeAction) box->setCloseAction(std::move(closeAction));
  for (const ButtonSpec* button : buttons) box->addButton(*button);
}

}  // namespace

std::wstring iconPath(int kind) {
  static const auto* table = new std::map<int, std::wstring>{{0, L"common/msg_noice48.png"},
                                                             {1, L"common/msg_noice48.png"},
                                                             {2, L"common/msg_noice48.png"},
                                                             {3, L"common/msg_ok48.png"}};
  auto found = table->find(kind);
  return found != table->end() ? found->second : std::wstring();
}

void oneButtonBox(HWND owner, const ButtonSpec& button, const std::wstring& icon, const std::wstring& title,
                  const std::wstring& text) {
  showBox(owner, {&button}, icon, title, text, nullptr);
}

void twoButtonBox(HWND owner, const ButtonSpec& first, const ButtonSpec& second, const std::wstring& icon,
                  const std::wstring& title, const std::wstring& text) {
  showBox(owner, {&first, &second}, icon, title, text, nullptr);
}

void twoButtonBoxWithClose(HWND owner, const ButtonSpec& first, const ButtonSpec& second, const std::wstring& icon,
                           const std::wstring& title, const std::wstring& text, std::function<void()> closeAction) {
  showBox(owner, {&first, &second}, icon, title, text, std::move(closeAction));
}

void oneButtonBox(HWND owner, const ButtonSpec& button, int iconKind, const std::wstring& title,
                  const std::wstring& text) {
  oneButtonBox(owner, button, iconPath(iconKind), title, text);
}

void twoButtonBox(HWND owner, const ButtonSpec& first, const ButtonSpec& second, int iconKind,
                  const std::wstring& title, const std::wstring& text) {
  twoButtonBox(owner, first, second, iconPath(iconKind), title, text);
}

std::wstring withLineBreaks(std::wstring text) {
  for (const wchar_t* mark : {L"\\r\\n", L"\\n"}) {
    size_t length = wcslen(mark);
    for (size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + 3)) {
      text.replace(at, length, L"<n>");
    }
  }
  return text;
}

void showUnsupportedSystemBox(HWND mainWindow) {
  // Without a main window there is nothing to close: the run ends directly.
  auto endRun = [mainWindow] {
    if (mainWindow)
      PostMessageW(mainWindow, WM_CLOSE, 1, 0);
    else
      PostQuitMessage(0);
  };
  ButtonSpec sure{langText("sure"), endRun, true};
  // Closing the box ends the run as its button does: nothing may start here.
  showBox(mainWindow, {&sure}, iconPath(2), langText("error"), withLineBreaks(langText("error_xp")),
          endRun);
}

}  // namespace msg
