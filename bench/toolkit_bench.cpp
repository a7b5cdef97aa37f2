// Cost of the skinned toolkit's work for one message box: building the
// layout, laying out and drawing it (100 % and 150 %), and composing the
// layered picture. Usage: toolkit_bench.exe [SKIN_FOLDER]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "skin/resource_map.h"
#include "tests/support/test_support.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/dpi.h"
#include "toolkit/paint_manager.h"
#include "ui/msg_builders.h"
#include "ui/msg_box_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HWND owner() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"BenchOwner";
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, L"BenchOwner", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring skin = argc > 1 ? argv[1] : testing_support::exeFolder() + L"..\\tests\\ui\\skin";
  DuiLib::setResourcePath(skin);
  const int builds = 200;
  auto start = Clock::now();
  for (int i = 0; i < builds; ++i) {
    DuiLib::WindowStyle style;
    DuiLib::buildLayoutFile(L"common/xml_messagebox.xml", style);
  }
  wprintf(L"build layout xml_messagebox.xml: %.3f ms\n", msSince(start) / builds);

  HWND parent = owner();
  for (int scale : {100, 150}) {
    DuiLib::setDpiPercent(scale);
    start = Clock::now();
    msg::IMessageBox* box = msg::createMessageBoxWindow(parent, L"common/xml_messagebox.xml");
    double createMs = msSince(start);
    if (!box) {
      wprintf(L"no box could be made\n");
      return 1;
    }
    box->setIcon(msg::iconPath(0));
    box->setTitle(L"Prompt");
    box->setText(L"Failed to download emulator kernel, please use browser instead");
    box->addButton({L"Yes", nullptr, true});
    box->addButton({L"No", nullptr, false});
    auto* window = dynamic_cast<msg::MessageBoxWindow*>(box);
    const int renders = 100;
    window->manager().render();  // images decoded and cached
    start = Clock::now();
    for (int i = 0; i < renders; ++i) window->manager().render();
    wprintf(L"scale %d%%: create and show %.1f ms, lay out + draw + compose %.3f ms per frame\n", scale, createMs,
            msSince(start) / renders);
    DestroyWindow(window->getHWND());
  }
  DestroyWindow(parent);
  return 0;
}
