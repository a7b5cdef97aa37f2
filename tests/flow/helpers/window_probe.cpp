// Tells the flow test where to click: where a window of the installer is on
// the screen, and where its controls are inside it. The controls are laid out
// here by the same code and skin (the staged skin beside this program) at
// 100 %, so their places match the installer's windows exactly.
//
//   window_probe window CLASS             "VISIBLE ICONIC ENABLED LEFT TOP RIGHT BOTTOM", or "none"
//   window_probe mainframe PANEL PAGE NAME...   the main window with its folder panel
//                                         "open" or "closed" and page PAGE shown
//   window_probe layout FILE NAME...      a skin layout as it stands
//   window_probe box ICON KEY...          a generic box with an icon kind ("none":
//                                         without) and buttons labelled by language keys;
//                                         its buttons are "button0", "button1", ...
// Controls are printed one a line, "NAME LEFT TOP RIGHT BOTTOM", in window pixels.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "skin/language_table.h"
#include "tests/support/ui_testing.h"
#include "toolkit/container.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/dpi.h"
#include "toolkit/paint_manager.h"
#include "ui/msg_builders.h"
#include "utility/text.h"
#include "utility/ui_dispatcher.h"

namespace {

void printRect(const std::wstring& name, const RECT& rect) {
  wprintf(L"%ls %ld %ld %ld %ld\n", name.c_str(), rect.left, rect.top, rect.right, rect.bottom);
}

void printControls(DuiLib::CPaintManagerUI& manager, int first, int argc, wchar_t** argv) {
  for (int i = first; i < argc; ++i) {
    if (DuiLib::CControlUI* control = manager.findControl(argv[i]))
      printRect(argv[i], control->getPos());
  }
}

int window(const wchar_t* className) {
  HWND found = FindWindowW(className, nullptr);
  if (!found) {
    wprintf(L"none\n");
    return 0;
  }
  RECT rect;
  GetWindowRect(found, &rect);
  wprintf(L"%d %d %d ", IsWindowVisible(found) ? 1 : 0, IsIconic(found) ? 1 : 0,
          IsWindowEnabled(found) ? 1 : 0);
  printRect(L"", rect);
  return 0;
}

int mainFrame(bool panelOpen, int page, int argc, wchar_t** argv) {
  auto* frame = new CAppMainFrame();
  if (!frame->create(nullptr, nullptr, WS_POPUP, 0)) return 1;
  frame->showUserDefine(panelOpen);
  if (auto* tab = frame->find<DuiLib::CTabLayoutUI>(L"maintab")) tab->selectItem(page);
  frame->manager().render();
  printControls(frame->manager(), 4, argc, argv);
  DestroyWindow(frame->getHWND());
  return 0;
}

int layout(const wchar_t* file, int argc, wchar_t** argv) {
  DuiLib::CPaintManagerUI manager;
  manager.init(nullptr, 100);
  manager.attachRoot(DuiLib::buildLayoutFile(file, manager.style()));
  SIZE size = manager.style().window.size;
  manager.layout({0, 0, size.cx, size.cy});
  printControls(manager, 3, argc, argv);
  return 0;
}

int box(const wchar_t* icon, int argc, wchar_t** argv) {
  std::vector<msg::ButtonSpec> buttons;
  for (int i = 3; i < argc; ++i)
    buttons.push_back({langText(utility::wideToAnsi(argv[i]).c_str()), nullptr, i == 3});
  std::wstring iconPath = wcscmp(icon, L"none") == 0 ? L"" : msg::iconPath(_wtoi(icon));
  if (buttons.size() == 1) msg::oneButtonBox(nullptr, buttons[0], iconPath, L"probe", L"probe");
  if (buttons.size() == 2)
    msg::twoButtonBox(nullptr, buttons[0], buttons[1], iconPath, L"probe", L"probe");
  auto boxes = testing_support::windowsOfClass(L"MessageBox");
  if (boxes.empty()) return 1;
  DuiLib::WindowImplBase* shown = boxes.front();
  shown->manager().render();
  auto* row = shown->find<DuiLib::CContainerUI>(L"bottombar");
  for (int i = 1; row && i + 1 < row->getCount(); ++i)
    printRect(L"button" + std::to_wstring(i - 1), row->getItemAt(i)->getPos());
  printRect(L"closebtn", shown->findControl(L"closebtn")->getPos());
  DestroyWindow(shown->getHWND());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  std::wstring command = argv[1];
  if (command == L"window") return window(argv[2]);
  utility::UiDispatcher::create();
  DuiLib::setDpiPercent(100);
  testing_support::useStagedSkin(L"en_US");
  if (command == L"mainframe" && argc >= 4)
    return mainFrame(wcscmp(argv[2], L"open") == 0, _wtoi(argv[3]), argc, argv);
  if (command == L"layout") return layout(argv[2], argc, argv);
  if (command == L"box") return box(argv[2], argc, argv);
  return 2;
}
