// The Windows entry point: prepares the process-wide services, runs the
// application object and the UI message loop, and shuts down in a fixed order.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include "app/app_impl.h"
#include "app/unlocked_search_refusal.h"
#include "toolkit/message_filter.h"
#include "utility/log.h"
#include "utility/system_library.h"
#include "utility/ui_dispatcher.h"
#include "utility/usystem.h"

namespace {

void startLog() {
  std::wstring folder = common::holdLogFolder();
  common::setLogSink(&common::fileLogSink);
  utility::UiDispatcher::create();
  if (!folder.empty()) common::openLog(folder + L"log.txt");
}

void runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The skin toolkit's message filter sees each message first.
    if (DuiLib::preTranslateMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // Before anything can load a DLL: never from the program's own folder.
  bool searchLocked = utility::lockDllSearchToSystemFolder();
  // Nor is anything looked up in the folder it was started from.
  utility::usystem::makeSystemFolderCurrent();
  if (FAILED(CoInitialize(nullptr))) return 0;
  WSADATA winsock;
  WSAStartup(MAKEWORD(2, 2), &winsock);
  startLog();
  LOG(L"\r\n\r\n***** start ****");
  if (!searchLocked && utility::usystem::isVistaOrLater()) {
    LOG(L"dll search not restricted by this system: the run ends");
    refuseUnlockedDllSearch(instance);
    common::flushLog(1000);
    CoUninitialize();
    return 0;
  }
  // Windows XP, which lacks the call too, is refused by the main window.
  if (!searchLocked) LOG(L"dll search not restricted by this system: system dlls load by full path");

  CAppImpl app;
  if (app.init(instance, commandLine ? commandLine : L"")) {
    runMessageLoop();
    app.uninit();
    Sleep(1000);  // lets the log writer's next cycle write the last lines
  }
  CoUninitialize();
  return 0;
}
