// The main window's set-up, its notification table, page and logo helpers,
// the web-page links, and its end.
#include "app/main_frame.h"

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/offer_events.h"
#include "offer/sdk_api_impl.h"
#include "report/reporter.h"
#include "skin/language_table.h"
#include "toolkit/accessible.h"
#include "toolkit/container.h"
#include "toolkit/label.h"
#include "ui/message_box.h"
#include "utility/usystem.h"

const DuiLib::NotifyEntry<CAppMainFrame> CAppMainFrame::kNotifyTable[] = {
    {L"click", L"installnowbtn", &CAppMainFrame::onInstallNow},
    {L"click", L"userdefineBtn", &CAppMainFrame::onUserDefine},
    {L"click", L"backBtn", &CAppMainFrame::onBack},
    {L"killfocus", L"pathedit", &CAppMainFrame::onPathEdited},
    {L"click", L"browsebtn", &CAppMainFrame::onBrowse},
    {L"click", L"protobtn", &CAppMainFrame::onLicence},
    {L"click", L"facebookbtn", &CAppMainFrame::onCommunity},
    {L"click", L"closebtn", &CAppMainFrame::onCloseClick},
    {L"click", L"homeBtn", &CAppMainFrame::onHome},
    {L"click", L"startBtn", &CAppMainFrame::onStart},
    {L"click", L"conprotbtn", &CAppMainFrame::onLicence},
    {L"click", L"rejectBtn", &CAppMainFrame::onRejectOffer},
    {L"click", L"acceptBtn", &CAppMainFrame::onAcceptOffer},
    {L"click", L"ironsourceBtn", &CAppMainFrame::onOfferTerms},
    {L"selectchanged", L"acceptOpt", &CAppMainFrame::onAcceptChanged},
    {L"", L"", nullptr},
};

CAppMainFrame::CAppMainFrame(MainFrameServices services)
    : model_(services.model ? *services.model : CAppModel::instance()),
      config_(services.config ? *services.config : ConfigImp::instance()),
      reporter_(services.reporter ? *services.reporter : CReporter::instance()),
      offer_(services.offer ? *services.offer : SDKAPIImpl::instance()) {}

bool CAppMainFrame::notifyFromTable(DuiLib::TNotifyUI& msg) {
  return DuiLib::routeNotify(this, kNotifyTable, msg);
}

void CAppMainFrame::initWindow() {
  registerFonts();
  refreshPathState();
  SetWindowTextW(getHWND(), langText("window_title").c_str());
  if (auto* edit = find<DuiLib::CControlUI>(L"pathedit")) edit->setText(model_.m_installDir);
  installModelCallbacks();
  showVariantLogo();
  installOfferCallbacks();
  if (auto* home = find<DuiLib::CLabelUI>(L"homeBtn")) {
    home->setTextColor(0xFFFFFFFF);
    home->setText(config_.homePageUrl());
  }
  if (auto* licence = find<DuiLib::CControlUI>(L"protobtn")) {
    licence->setText(L"<u>" + langText("protocol_accept_btn") + L"</u>");
  }
  offer_.startInit(model_.getOpenId());
}

void CAppMainFrame::registerFonts() {
  manager().fonts().addSizeLadder(L"Microsoft YaHei", 7);
  manager().invalidate();
}

void CAppMainFrame::installModelCallbacks() {
  // Each call finds out first whether the window still exists: a report the
  // model posted may wait in the queue while the window goes.
  std::weak_ptr<CAppMainFrame> self = weak();
  model_.setCallbacks({
      [self](int percent, int received, int total) {
        if (auto frame = self.lock()) frame->onDownloadProgress(percent, received, total);
      },
      [self](int percent) {
        if (auto frame = self.lock()) frame->onDownloadPercent(percent);
      },
      [self] {
        if (auto frame = self.lock()) frame->onDownloadDone();
      },
      [self] {
        if (auto frame = self.lock()) frame->onDownloadFailed();
      },
      [self](bool success) {
        if (auto frame = self.lock()) frame->onInstallFinished(success);
      },
      [self] {
        if (auto frame = self.lock()) frame->onDownloadReconnecting();
      },
      [self] {
        if (auto frame = self.lock()) frame->onDownloadSourceFailed();
      },
  });
}

void CAppMainFrame::installOfferCallbacks() {
  std::weak_ptr<CAppMainFrame> self = weak();
  CAppModel* model = &model_;  // the model and the reporter outlive the window
  CReporter* reporter = &reporter_;
  offer_.setHooks({
      config_.offerEnabled,
      [self](bool installing) {
        auto frame = self.lock();
        if (!frame) return;
        if (installing) {
          CMessageBox::show(frame->getHWND(), CMessageBox::kInstalling, 0);
        } else {
          EnableWindow(frame->getHWND(), FALSE);
          CMessageBox::show(frame->getHWND(), CMessageBox::kLeaveInstallation, 0);
        }
      },
      [self] {
        if (auto frame = self.lock()) frame->showDownloadPage();
      },
      [model, reporter](OfferMoment moment) { reportOfferMoment(*model, *reporter, moment); },
      offerTermsLink(),
  });
}

SDKAPIImpl::TermsLink CAppMainFrame::offerTermsLink() {
  std::weak_ptr<CAppMainFrame> self = weak();
  auto link = [self]() -> DuiLib::CControlUI* {
    auto frame = self.lock();
    return frame ? frame->findControl(L"ironsourceBtn") : nullptr;
  };
  SDKAPIImpl::TermsLink terms;
  terms.find = [self, link](std::wstring& name, RECT& place) {
    DuiLib::CControlUI* control = link();
    if (!control || !DuiLib::isAccessible(*control)) return false;
    name = DuiLib::accessibleName(*control);
    place = control->getPos();
    MapWindowPoints(self.lock()->getHWND(), nullptr, reinterpret_cast<POINT*>(&place), 2);
    return true;
  };
  terms.open = [link] {
    if (DuiLib::CControlUI* control = link()) DuiLib::doDefaultAction(*control);
  };
  terms.showFocus = [self, link](bool focused) {
    auto frame = self.lock();
    DuiLib::CControlUI* control = link();
    if (!frame || !control) return;
    DuiLib::CPaintManagerUI& manager = frame->manager();
    if (focused) {
      manager.setFocus(control);
      manager.showFocusCues();
    } else if (GetFocus() != frame->getHWND() && manager.getFocus() == control) {
      // Back to what the page's focus was; with the keyboard back, the
      // window keeps the link focused.
      if (!manager.focusPageControl()) manager.setFocus(nullptr);
    }
  };
  return terms;
}

void CAppMainFrame::showVariantLogo() {
  if (auto* logo9 = find<DuiLib::CControlUI>(L"logo9Con")) logo9->setVisible(config_.isPlayer9);
  if (auto* logo = find<DuiLib::CControlUI>(L"logoCon")) logo->setVisible(!config_.isPlayer9);
}

void CAppMainFrame::hideLogos() {
  for (const wchar_t* name : {L"logo9Con", L"logoCon"}) {
    if (auto* logo = find<DuiLib::CControlUI>(name)) logo->setVisible(false);
  }
}

void CAppMainFrame::selectPage(int page) {
  if (auto* tab = find<DuiLib::CTabLayoutUI>(L"maintab")) tab->selectItem(page);
}

void CAppMainFrame::onLicence(DuiLib::TNotifyUI&) {
  utility::usystem::openUrl(config_.licencePageUrl());
}

void CAppMainFrame::onCommunity(DuiLib::TNotifyUI&) {
  utility::usystem::openUrl(config_.communityPageUrl());
}

void CAppMainFrame::onHome(DuiLib::TNotifyUI&) { utility::usystem::openUrl(config_.homePageUrl()); }

void CAppMainFrame::onOfferTerms(DuiLib::TNotifyUI&) {
  std::wstring terms = langText("ironsource_url");
  if (terms.size() > 5) utility::usystem::openUrl(terms);
}

LRESULT CAppMainFrame::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Alt+F4 and the taskbar's Close ask as the close button does; the window
  // itself closes only through close() (WM_CLOSE).
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    askBeforeClosing();
    return 0;
  }
  // Hidden (not minimised) only when the run ends: the offer's own window,
  // owned but not hidden with it, goes too.
  if (message == WM_SHOWWINDOW && !wParam && lParam == 0) offer_.hide();
  // Once this window is active again (a box over it closed, the user came
  // back to it), a displayed offer takes the keyboard back.
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
    std::weak_ptr<CAppMainFrame> self = weak();
    postToUi([self] {
      if (auto frame = self.lock()) frame->offer_.returnKeyboard();
    });
  }
  return WindowImplBase::handleMessage(message, wParam, lParam);
}

void CAppMainFrame::onFinalMessage(HWND) {
  // Work queued for the window may still arrive: the model's reports find no
  // callbacks, and everything else finds the window gone.
  model_.setCallbacks({});
  SDKAPIImpl::Hooks none;
  none.enabled = config_.offerEnabled;
  offer_.setHooks(std::move(none));
  installWaitTimer_.stop();
  life_.reset();
  if (config_.offerEnabled) offer_.releaseDLL();
  delete this;
  PostQuitMessage(0);
}
