#include "app/app_impl.h"

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/embedded_texts.h"
#include "app/main_frame.h"
#include "app/resources/resource_ids.h"
#include "net/curl_global.h"
#include "offer/sdk_api_impl.h"
#include "offer/sdk_wrapper.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "skin/language_table.h"
#include "skin/resource_map.h"
#include "ui/message_box.h"
#include "ui/msg_builders.h"
#include "utility/detached_thread.h"
#include "utility/log.h"
#include "utility/private_folder.h"
#include "utility/system_library.h"
#include "utility/ufile.h"
#include "utility/usystem.h"

namespace {

// What leaving through the exit question does beyond closing windows.
void installLeaveHooks() {
  LeaveInstallationHooks hooks;
  hooks.reportLeaving = [] {
    CAppModel& model = CAppModel::instance();
    model.analytics().sendEventNow(events::analytics::kUseCancel, model.getOpenId());
    CReporter::instance().addEvent(
        events::report::kCancelDownload,
        reportProperties(
            {{events::property::kExtField, std::wstring(events::property::kCancelNotDownload)}}));
    CReporter::instance().notify();
  };
  if (ConfigImp::instance().offerEnabled) {
    hooks.finishOffer = [] { SDKAPIImpl::instance().finishOnLeave(); };
  }
  CMessageBox::setLeaveHooks(std::move(hooks));
}

void reportCancel(const wchar_t* extField) {
  CReporter::instance().addEvent(
      events::report::kCancelDownload,
      reportProperties({{events::property::kExtField, std::wstring(extField)}}));
}

// The window icon at the large and the small system size.
void setWindowIcons(HWND window, HINSTANCE instance) {
  const struct {
    WPARAM which;
    int width;
    int height;
  } sizes[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
  for (const auto& size : sizes) {
    HANDLE icon =
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(size.width),
                   GetSystemMetrics(size.height), LR_DEFAULTCOLOR);
    if (icon) SendMessageW(window, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
  }
}

// Earlier runs' private folders that they could not remove (a library still
// mapped, a package still running), cleared on a thread of their own; the
// folders of this run are younger than the process. So is a kept download
// that no run has come back for in two weeks.
void removeEarlierLeftovers() {
  FILETIME started{}, unused{};
  if (!GetProcessTimes(GetCurrentProcess(), &started, &unused, &unused, &unused)) return;
  ULARGE_INTEGER time{{started.dwLowDateTime, started.dwHighDateTime}};
  time.QuadPart -= CAppModel::kKeptDownloadDays * 24ull * 3600 * 10000000;  // 100 ns units
  FILETIME abandoned{time.LowPart, time.HighPart};
  utility::startDetachedThread([started, abandoned] {
    for (const std::wstring& parent :
         {utility::ufile::localTempFolder(), utility::ufile::systemTempFolder()}) {
      for (const wchar_t* prefix : {SDKWrapper::kFolderPrefix, CAppModel::kPackageFolderPrefix})
        utility::removeLeftoverFolders(parent, prefix, started);
      utility::removeAbandonedFolder(parent, CAppModel::kKeptDownloadFolder, abandoned);
    }
  });
}

}  // namespace

SystemFacts SystemFacts::live() {
  return {&utility::usystem::isVistaOrLater, &utility::usystem::isNative64};
}

CAppImpl::CAppImpl(SystemFacts system) : system_(system) {}

bool CAppImpl::init(HINSTANCE instance, const std::wstring& commandLine) {
  CAppModel& model = CAppModel::instance();
  if (model.popupExistPwnd()) return false;
  // libcurl starts with the first transfer, on its worker (net/curl_global.h).
  model.init(commandLine.c_str(), instance);
  removeEarlierLeftovers();

  // The skin: the toolkit's instance and language, the loose "skin" folder
  // beside the program, then the embedded archive and its language table.
  DuiLib::setInstance(instance);
  DuiLib::setLanguage(model.getLocale(), L"en_US");
  DuiLib::keepEmbeddedTexts(embeddedOnlyTexts());
  DuiLib::setResourcePath(DuiLib::instancePath() + L"skin");
  DuiLib::loadZipResource(DuiLib::kSkinResourceId, L"language.tsv");

  installLeaveHooks();
  // Native controls (the path box, the partner's offer) are drawn with the
  // system's themes, which load msimg32 by its name on their first use
  // (Wine's do): loaded first by its full path, before any window shows.
  utility::loadSystemLibrariesFirst({L"msimg32.dll"});
  showMainFrame();
  m_ipc.open(kInstanceGuid, this);
  model.trackEvent(events::analytics::kRun, model.getOpenId());
  CReporter::instance().addEvent(events::report::kRunDownloader);
  return true;
}

void CAppImpl::showMainFrame() {
  LOG(L"create main");
  bool created = !mainFrame() && createMainFrame();
  CAppMainFrame* frame = mainFrame();
  if (!frame) {
    // Nothing to show and nothing that could end the run later.
    LOG(L"no main window: the run ends");
    PostQuitMessage(0);
    return;
  }
  HWND window = frame->getHWND();
  ShowWindow(window, SW_SHOWNORMAL);
  BringWindowToTop(window);
  utility::usystem::bringToFront(window);
  // The system's rules apply once per run: a later request (a second copy
  // asking) only brings the window to the front, leaving the variant and the
  // folder the user chose as they are.
  if (!created) return;
  if (!system_.isVistaOrLater()) {
    // No download on Windows XP: the refusal's button ends the run.
    msg::showUnsupportedSystemBox(window);
    reportCancel(events::property::kCancelXp);
    return;
  }
  if (system_.isNative64()) return;
  LOG(L"32 system!!!");
  ConfigImp::instance().setPlayer4();
  CAppModel::instance().reloadPlayerConfig();
  frame->reloadInstallPath();
  reportCancel(events::property::kCancelSystem32);
}

bool CAppImpl::createMainFrame() {
  auto* frame = new CAppMainFrame();
  std::weak_ptr<CAppMainFrame> life = frame->weak();
  DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (!system_.isVistaOrLater()) style |= WS_SYSMENU | WS_THICKFRAME;
  if (!frame->create(nullptr, nullptr, style, 0)) {
    // A window that was made and destroyed again has deleted its object.
    if (!life.expired()) delete frame;
    return false;
  }
  m_mainFrame = life;
  setWindowIcons(frame->getHWND(), DuiLib::instance());
  frame->centerWindow();
  return true;
}

int CAppImpl::onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM) {
  LOG(L"ipc, msg = %d", (int)message);
  bool packageResult = message == kInstallError || message == kInstallSuccess;
  if (packageResult && !CAppModel::instance().takePackageResult()) {
    LOG(L"no package result awaited: ignored");
  } else if (message == kInstallError) {
    LOG(L"player install error! %d", (int)wParam);
    CAppModel::instance().onInstallError((int)wParam);
  } else if (message == kInstallSuccess) {
    LOG(L"player install sucess");
    CAppModel::instance().onInstallSuccess();
  } else if (message == kShowYourself) {
    showMainFrame();
  }
  return 0;
}

void CAppImpl::uninit() {
  // The main window hides first, then: the reporter gets up to 8000 ms for its
  // last batch, analytics stops sending, libcurl is released, then the offer library.
  if (CAppMainFrame* frame = mainFrame()) ShowWindow(frame->getHWND(), SW_HIDE);
  const DWORD start = GetTickCount();
  CReporter::instance().shutdown();
  CAppModel::instance().analytics().closed = true;
  // The analytics worker or a download may still be in a transfer: libcurl is
  // released only once none runs, within what is left of the same limit.
  const DWORD spent = GetTickCount() - start;
  const DWORD limit = CReporter::kShutdownLimitMs;
  curl_global::cleanupWhenIdle(spent < limit ? limit - spent : 0);
  if (ConfigImp::instance().offerEnabled) SDKAPIImpl::instance().releaseDLL();
}
