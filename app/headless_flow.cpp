#include "app/headless_flow.h"

#include "app/app_model.h"
#include "utility/log.h"

void startHeadlessFlow(CAppModel& model) {
  static bool started = false;
  if (started) return;
  started = true;
  model.setCallbacks({
      [](int percent, int received, int total) {
        LOG(L"progress %d%% (%d of %d bytes)", percent, received, total);
      },
      [](int percent) { LOG(L"progress %d%%", percent); },
      [&model] { runInstallTask(model); },
      [&model] {
        // The worker reports the failure after telling the window: let it
        // finish before the shut-down stops the reporter.
        static utility::UiTimer waitForWorker;
        waitForWorker.start(50, makeRunable([&model] {
          if (model.m_downloadThread.isRunning()) return;
          waitForWorker.stop();
          PostQuitMessage(0);
        }));
      },
      [&model](bool ok) {
        if (ok) model.startPlayer();
        PostQuitMessage(0);
      },
  });
  model.startDownloadPlayer();
}
