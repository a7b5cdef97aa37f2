// The CPU time the installer's main window takes while little moves on it,
// as a share of one core: the start page left alone, the progress page at a
// steady percentage with a sized report each second (a slow download: the
// sizes change, the percentage does not), and the offer-loading page with
// its animation. The window is the installer's own, over the shipped skin
// this program embeds, shown on the display.
//   main_window_cpu_bench.exe [SECONDS per phase]     (default 10)
#include <windows.h>

#include <cstdio>
#include <functional>

#include "app/app_model.h"
#include "app/main_frame.h"
#include "skin/language_table.h"
#include "skin/resource_map.h"
#include "toolkit/container.h"
#include "utility/ui_dispatcher.h"

namespace {

double cpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) /
           1e4;
  };
  return ms(kernel) + ms(user);
}

// Runs the message loop for `seconds`, calling `tick` once a second, and
// prints the CPU share it took.
void measure(const wchar_t* phase, int seconds, const std::function<void()>& tick) {
  const double cpuStart = cpuMs();
  const ULONGLONG start = GetTickCount64();
  ULONGLONG nextTick = start;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now - start >= static_cast<ULONGLONG>(seconds) * 1000) break;
    if (now >= nextTick) {
      tick();
      nextTick += 1000;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(nextTick - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  const double wallMs = static_cast<double>(GetTickCount64() - start);
  wprintf(L"  %-52ls %5.2f %% of one core\n", phase, (cpuMs() - cpuStart) * 100.0 / wallMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 && _wtoi(argv[1]) > 0 ? _wtoi(argv[1]) : 10;
  DuiLib::setInstance(GetModuleHandleW(nullptr));
  DuiLib::setLanguage(L"en_US", L"en_US");
  DuiLib::loadZipResource(DuiLib::kSkinResourceId, L"language.tsv");
  utility::UiDispatcher::create();
  CAppModel::instance().m_installDir = L"C:\\Vorlane\\Vorlane9\\";

  auto* frame = new CAppMainFrame();
  if (!frame->create(nullptr, nullptr, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0)) {
    wprintf(L"no main window could be made\n");
    return 1;
  }
  frame->centerWindow();
  frame->showWindow(true, true);
  measure(L"start page, nothing moving", 1, [] {});  // settles the first drawing

  wprintf(L"main window CPU, %d s per phase:\n", seconds);
  measure(L"start page, nothing moving", seconds, [] {});
  frame->showDownloadPage();
  const int total = 524288000;
  int downloaded = total / 100 * 42;
  measure(L"progress page at 42 %, a sized report each second", seconds, [&] {
    downloaded += 100 * 1024;
    frame->onDownloadProgress(42, downloaded, total);
  });
  if (auto* tab = frame->find<DuiLib::CTabLayoutUI>(L"maintab"))
    tab->selectItem(CAppMainFrame::kOfferLoadingPage);
  measure(L"offer-loading page, the animation playing", seconds, [] {});
  DestroyWindow(frame->getHWND());
  return 0;
}
