// The installer's main window. Its first page takes the licence, the
// installation folder and the install button; then it shows the offer step
// and the progress of the download and installation that the model runs,
// asks before the user leaves a running installation, and ends the message
// loop when the flow is over. The application object makes it with new; it
// deletes itself once its OS window is gone. UI thread only.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "offer/sdk_api_impl.h"
#include "toolkit/window_base.h"
#include "utility/ui_dispatcher.h"

class CAppModel;
class ConfigImp;
class CReporter;

// What the window works with. The program leaves every field empty and the
// window takes the process-wide objects; tests pass their own.
struct MainFrameServices {
  CAppModel* model = nullptr;
  ConfigImp* config = nullptr;
  CReporter* reporter = nullptr;
  SDKAPIImpl* offer = nullptr;
};

class CAppMainFrame : public DuiLib::WindowImplBase {
 public:
  // The pages of "maintab" that the window selects.
  static constexpr int kProgressPage = 2;
  static constexpr int kOfferLoadingPage = 9;

  explicit CAppMainFrame(MainFrameServices services = {});

  // Empty once the window object is gone: work queued for later holds this
  // rather than the window.
  std::weak_ptr<CAppMainFrame> weak() const { return life_; }
  int progressState() const { return progressState_; }

  // The custom-path panel and the installation folder (install_path_rules.h).
  void showUserDefine(bool open);
  void refreshPathState();
  void reloadInstallPath();
  void browseFolder();
  void changePathClac(bool ask, const std::wstring& path);
  void setInstallPath(const std::wstring& path);

  // The model's reports, on the UI thread.
  void onDownloadProgress(int percent, int downloaded, int total);
  void onDownloadPercent(int percent);
  void onDownloadDone();
  void onDownloadFailed();
  // The download waits for the connection: the status says so until the
  // next progress report.
  void onDownloadReconnecting();
  // The source in use failed, perhaps after all of its file came (and was
  // refused): closing and leaving work again as during any download.
  void onDownloadSourceFailed();
  void onInstallFinished(bool success);

  // The install button's checks; false after showing why.
  bool checkBeforeInstall();
  // The offer step: its window over this one, and the progress page after it.
  void showOfferWindow();
  void showDownloadPage();

 protected:
  const wchar_t* getWindowClassName() const override { return L"vlmainframe"; }
  UINT getClassStyle() const override { return CS_SAVEBITS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW; }
  std::wstring getSkinFile() const override { return L"mainframe.xml"; }
  void initWindow() override;
  void onFinalMessage(HWND window) override;
  bool notifyFromTable(DuiLib::TNotifyUI& msg) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void registerFonts();
  void installModelCallbacks();
  void installOfferCallbacks();
  // The overlay's link to the partner's terms, as the offer window's keyboard
  // order and its reader find it.
  SDKAPIImpl::TermsLink offerTermsLink();
  void showVariantLogo();
  void hideLogos();
  void selectPage(int page);
  // showUserDefine in the panel's current state (open unless "userdefineBtn" shows).
  void refreshPanel();
  void startOfferWait();
  void openBrowseFlow();
  // The advice on a chosen folder: "path_ok" takes `suggested`; "path_not"
  // and the close button run `keep` (may be empty).
  void showPathPrompt(const std::wstring& suggested, const std::wstring& text,
                      std::function<void()> keep);
  void tickInstallWait();
  // The bar's drawn value and what a reader hears as its value: the
  // percentage the page says for the stage.
  void showProgress(int barValue, int spokenPercent);
  // The box that offers the package for the browser: "Yes" opens its
  // address, "No" ends the run; so does its close button when `closingQuits`.
  void offerManualDownload(const char* textKey, bool closingQuits);
  // Ends the run: hides and closes the window and quits the message loop.
  void leave();
  void askBeforeClosing();
  void reportCancel(const std::wstring& extField);

  // Handlers of the notification table.
  void onInstallNow(DuiLib::TNotifyUI& msg);
  void onUserDefine(DuiLib::TNotifyUI& msg);
  void onBack(DuiLib::TNotifyUI& msg);
  void onPathEdited(DuiLib::TNotifyUI& msg);
  void onBrowse(DuiLib::TNotifyUI& msg);
  void onLicence(DuiLib::TNotifyUI& msg);
  void onCommunity(DuiLib::TNotifyUI& msg);
  void onCloseClick(DuiLib::TNotifyUI& msg);
  void onHome(DuiLib::TNotifyUI& msg);
  void onStart(DuiLib::TNotifyUI& msg);
  void onRejectOffer(DuiLib::TNotifyUI& msg);
  void onAcceptOffer(DuiLib::TNotifyUI& msg);
  void onOfferTerms(DuiLib::TNotifyUI& msg);
  void onAcceptChanged(DuiLib::TNotifyUI& msg);

  static const DuiLib::NotifyEntry<CAppMainFrame> kNotifyTable[];

  CAppModel& model_;
  ConfigImp& config_;
  CReporter& reporter_;
  SDKAPIImpl& offer_;
  int progressState_ = 0;
  DWORD downloadStartTick_ = 0;
  utility::UiTimer installWaitTimer_;
  int installWaitStep_ = 0;
  // Owns nothing: it only tells weak references whether the window lives.
  std::shared_ptr<CAppMainFrame> life_{this, [](CAppMainFrame*) {}};
};
