// The progress page: the model's download reports, then the wait while the
// package installs. The texts and values come from progress_rules.h.
#include <algorithm>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/main_frame.h"
#include "app/progress_rules.h"
#include "offer/sdk_api_impl.h"
#include "skin/language_table.h"
#include "toolkit/progress.h"

namespace {

constexpr UINT kInstallWaitTickMs = 1500;

}  // namespace

void CAppMainFrame::onDownloadProgress(int percent, int downloaded, int total) {
  auto* size = find<DuiLib::CControlUI>(L"downloadProgeLabel");
  if (size) size->setVisible(true);
  if (downloaded == 0 || total == 0) return;
  SizedProgressView view = sizedProgressView(percent, downloaded, total, config_.language == L"ar",
                                             langText("downloading"));
  if (size) size->setText(view.sizeText);
  if (auto* status = find<DuiLib::CControlUI>(L"loadprogresslabel"))
    status->setText(view.statusText);
  showProgress(view.bar, view.spokenPercent);
  progressState_ = view.progressState;
}

void CAppMainFrame::onDownloadPercent(int percent) {
  showProgress(percentBarValue(percent), percent);
  if (auto* size = find<DuiLib::CControlUI>(L"downloadProgeLabel")) size->setVisible(false);
  if (auto* status = find<DuiLib::CControlUI>(L"loadprogresslabel")) {
    status->setText(percentStatusText(percent, langText("downloading")));
  }
}

void CAppMainFrame::onDownloadReconnecting() {
  if (auto* status = find<DuiLib::CControlUI>(L"loadprogresslabel"))
    status->setText(langText("download_reconnecting"));
}

void CAppMainFrame::onDownloadSourceFailed() {
  // Perhaps all of a file came and was refused: the state goes back to that
  // before any report, and the next source's reports set it as they do for
  // any download (libcurl's percentages leave it there).
  progressState_ = 0;
}

void CAppMainFrame::onDownloadDone() {
  if (auto* status = find<DuiLib::CControlUI>(L"loadprogresslabel"))
    status->setText(langText("install_waiting"));
  if (auto* size = find<DuiLib::CControlUI>(L"downloadProgeLabel")) size->setVisible(false);
  // A reader hears the bar as the installation's from now on, from its start.
  if (auto* bar = find<DuiLib::CProgressUI>(L"installbar")) {
    bar->setAccessibleName(L"@install_waiting");
    bar->setSpokenPercent(0);
  }
  // From now on the package installs: closing offers no new download.
  progressState_ = 100;
  installWaitTimer_.stop();
  if (config_.offerEnabled) offer_.installOffer();
  if (!runInstallTask(model_)) {
    onInstallFinished(false);
    return;
  }
  installWaitStep_ = 0;
  installWaitTimer_.start(kInstallWaitTickMs, makeRunable([this] { tickInstallWait(); }));
}

void CAppMainFrame::tickInstallWait() {
  int value = nextInstallWaitValue(installWaitStep_);
  showProgress(value, installStagePercent(value));
}

void CAppMainFrame::showProgress(int barValue, int spokenPercent) {
  if (auto* bar = find<DuiLib::CProgressUI>(L"installbar")) {
    bar->setValue(barValue);
    bar->setSpokenPercent(std::clamp(spokenPercent, 0, 100));
  }
}
