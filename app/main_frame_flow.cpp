// The main window's flow: the install button and its checks, the offer step,
// leaving the window, the failed download and the end of the installation.
#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/install_path_rules.h"
#include "app/main_frame.h"
#include "app/progress_rules.h"
#include "offer/sdk_api_impl.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "skin/language_table.h"
#include "toolkit/option.h"
#include "ui/disk.h"
#include "ui/message_box.h"
#include "ui/msg_builders.h"
#include "utility/usystem.h"

namespace {

// Below this many MB free the installation does not start.
constexpr double kRequiredFreeMB = 1024.0;
constexpr int kNoticeIcon = 0;
constexpr int kErrorIcon = 2;

}  // namespace

void CAppMainFrame::onInstallNow(DuiLib::TNotifyUI&) {
  if (!checkBeforeInstall()) return;
  hideLogos();
  downloadStartTick_ = GetTickCount();
  model_.startDownloadPlayer();
  reporter_.addEvent(events::report::kStartDownloader);
  selectPage(kOfferLoadingPage);
  refreshPanel();
  startOfferWait();
}

bool CAppMainFrame::checkBeforeInstall() {
  const char* problem = nullptr;
  auto* accepted = find<DuiLib::COptionUI>(L"acceptOpt");
  if (!accepted || !accepted->isSelected()) {
    problem = "accept_protocol";
  } else if (!isValidInstallPath(model_.m_installDir)) {
    problem = "error_path";
  } else if (utility::disk::freeSpaceMB(model_.m_installDir) < kRequiredFreeMB) {
    problem = "disk_notEnough";
  }
  if (!problem) return true;
  msg::oneButtonBox(getHWND(), {langText("confirm"), nullptr, true}, kErrorIcon, langText("error"),
                    langText(problem));
  return false;
}

void CAppMainFrame::startOfferWait() {
  // The host waits, at most for its own limit: without a ready library the
  // progress page follows.
  std::weak_ptr<CAppMainFrame> self = weak();
  offer_.waitForOffer([self] {
    if (auto frame = self.lock()) frame->showOfferWindow();
  });
}

void CAppMainFrame::showOfferWindow() {
  // Nothing comes up over a window that has hidden to end the run; and the
  // overlay belongs to the offer's window, which may not have been made.
  if (!IsWindowVisible(getHWND()) || !offer_.showADWindow(getHWND(), manager().scalePercent()))
    return;
  if (auto* overlay = find<DuiLib::CControlUI>(L"ironsourceLayout")) overlay->setVisible(true);
}

void CAppMainFrame::showDownloadPage() {
  // The page first: a focus left on the overlay's link then goes to the bar.
  selectPage(kProgressPage);
  if (auto* overlay = find<DuiLib::CControlUI>(L"ironsourceLayout")) overlay->setVisible(false);
  refreshPanel();
  showVariantLogo();
}

void CAppMainFrame::onRejectOffer(DuiLib::TNotifyUI&) {
  showVariantLogo();
  selectPage(kProgressPage);
  refreshPanel();
  model_.trackEvent(events::analytics::kRejectDo, model_.getOpenId());
}

void CAppMainFrame::onAcceptOffer(DuiLib::TNotifyUI&) {
  selectPage(kOfferLoadingPage);
  refreshPanel();
  model_.trackEvent(events::analytics::kAcceptDo, model_.getOpenId());
  startOfferWait();
}

void CAppMainFrame::onCloseClick(DuiLib::TNotifyUI&) { askBeforeClosing(); }

void CAppMainFrame::askBeforeClosing() {
  HWND window = getHWND();
  if (progressState_ == 100) {
    msg::oneButtonBox(window, {langText("sure"), nullptr, true}, kNoticeIcon, langText("noice"),
                      langText("installing_exit_tip"));
    return;
  }
  if (progressState_ < 1 || progressState_ > 99) {
    CMessageBox::show(window, CMessageBox::kLeaveInstallation, 0);
    return;
  }
  DWORD elapsed = (GetTickCount() - downloadStartTick_) / 1000;
  std::weak_ptr<CAppMainFrame> self = weak();
  // A download that finished while the box was open is installing: its
  // answers then only close the box.
  auto quit = [self, elapsed] {
    auto frame = self.lock();
    if (!frame || frame->progressState_ == 100) return;
    ShowWindow(frame->getHWND(), SW_HIDE);
    frame->reportCancel(leaveDownloadText(frame->progressState_, elapsed,
                                          frame->config_.useSpareUrl, frame->config_.useIe));
    frame->leave();
  };
  auto browser = [self, elapsed] {
    auto frame = self.lock();
    if (!frame || frame->progressState_ == 100) return;
    utility::usystem::openUrl(frame->model_.m_url);
    frame->reportCancel(leaveDownloadText(frame->progressState_, elapsed,
                                          frame->config_.useSpareUrl, frame->config_.useIe));
    frame->leave();
  };
  msg::twoButtonBox(window, {langText("download_close"), quit, false},
                    {langText("downloadBybrowser"), browser, true}, kNoticeIcon, langText("noice"),
                    langText("download_slowtip"));
}

void CAppMainFrame::reportCancel(const std::wstring& extField) {
  reporter_.addEvent(events::report::kCancelDownload,
                     reportProperties({{events::property::kExtField, extField}}));
}

void CAppMainFrame::leave() {
  showWindow(false);
  close();
  PostQuitMessage(0);
}

void CAppMainFrame::onStart(DuiLib::TNotifyUI&) {
  model_.startPlayer();
  showWindow(false);
  PostQuitMessage(0);
}

void CAppMainFrame::onDownloadFailed() { offerManualDownload("download_error_tip2", false); }

void CAppMainFrame::offerManualDownload(const char* textKey, bool closingQuits) {
  CAppModel* model = &model_;  // lives as long as the process
  msg::ButtonSpec browser{langText("Yes"),
                          [model] {
                            utility::usystem::openUrl(model->m_url);
                            PostQuitMessage(0);
                          },
                          true};
  auto quitRun = [] { PostQuitMessage(0); };
  msg::ButtonSpec quit{langText("No"), quitRun, false};
  msg::twoButtonBoxWithClose(getHWND(), browser, quit, msg::iconPath(kNoticeIcon),
                             langText("noice"), langText(textKey),
                             closingQuits ? quitRun : std::function<void()>());
}

void CAppMainFrame::onInstallFinished(bool success) {
  installWaitTimer_.stop();
  if (!success) {
    // The emulator starts whatever came of it, but nothing claims success:
    // the bar stays, no finished page opens, and the full package is offered
    // for the browser.
    model_.startPlayer();
    if (auto* status = find<DuiLib::CControlUI>(L"loadprogresslabel"))
      status->setText(langText("install_incomplete"));
    offerManualDownload("install_incomplete_tip", true);
    return;
  }
  showProgress(100, 100);
  if (!model_.m_playerExist) {
    utility::usystem::openUrl(config_.afterInstallPageUrl());
    reporter_.addEvent(events::report::kJumpToWeb);
  }
  model_.startPlayer();
  PostQuitMessage(0);
}
