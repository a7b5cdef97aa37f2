#include "app/app_impl.h"

#include <curl/curl.h>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/headless_flow.h"
#include "net/curl_global.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "skin/language_table.h"
#include "skin/resource_map.h"
#include "ui/message_box.h"
#include "ui/msg_builders.h"
#include "utility/log.h"
#include "utility/usystem.h"

namespace {

// What leaving through the exit question reports; the offer step joins it
// once the offer host exists.
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
  CMessageBox::setLeaveHooks(std::move(hooks));
}

}  // namespace

bool CAppImpl::init(HINSTANCE instance, const std::wstring& commandLine) {
  CAppModel& model = CAppModel::instance();
  if (model.popupExistPwnd()) return false;
  curl_global_init(CURL_GLOBAL_ALL);
  model.init(commandLine.c_str(), instance);

  // The skin: the toolkit's instance and language, the loose "skin" folder
  // beside the program, then the embedded archive and its language table.
  DuiLib::setInstance(instance);
  DuiLib::setLanguage(model.getLocale(), L"en_US");
  DuiLib::setResourcePath(DuiLib::instancePath() + L"skin");
  DuiLib::loadZipResource(DuiLib::kSkinResourceId, L"language.tsv");

  installLeaveHooks();
  showMainFrame();
  m_ipc.open(kInstanceGuid, this);
  model.trackEvent(events::analytics::kRun, model.getOpenId());
  CReporter::instance().addEvent(events::report::kRunDownloader);
  return true;
}

void CAppImpl::showMainFrame() {
  LOG(L"create main");
  if (!utility::usystem::isVistaOrLater()) {
    // No download on Windows XP: the refusal's button ends the run.
    msg::showUnsupportedSystemBox(nullptr);
    CReporter::instance().addEvent(
        events::report::kCancelDownload,
        reportProperties({{events::property::kExtField, std::wstring(events::property::kCancelXp)}}));
    return;
  }
  if (!utility::usystem::isNative64()) {
    LOG(L"32 system!!!");
    ConfigImp::instance().setPlayer4();
    CAppModel::instance().reloadPlayerConfig();
    CReporter::instance().addEvent(
        events::report::kCancelDownload,
        reportProperties({{events::property::kExtField, std::wstring(events::property::kCancelSystem32)}}));
  }
  // Until the main window exists, the flow it drives runs without one.
  startHeadlessFlow(CAppModel::instance());
}

int CAppImpl::onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM) {
  LOG(L"ipc, msg = %d", (int)message);
  if (message == kInstallError) {
    LOG(L"player install error! %d", (int)wParam);
    CAppModel::instance().onInstallError((int)wParam);
  } else if (message == kInstallSuccess) {
    LOG(L"player install sucess");
    CAppModel::instance().onInstallSuccess();
  }
  else if (message == kShowYourself)
    showMainFrame();
  return 0;
}

void CAppImpl::uninit() {
  // The main window hides first, then: the reporter gets up to 8000 ms for its
  // last batch, analytics stops sending, libcurl is released, then the offer library.
  const DWORD start = GetTickCount();
  CReporter::instance().shutdown();
  CAppModel::instance().analytics().closed = true;
  // The analytics worker or a download may still be in a transfer: libcurl is
  // released only once none runs, within what is left of the same limit.
  const DWORD spent = GetTickCount() - start;
  const DWORD limit = CReporter::kShutdownLimitMs;
  curl_global::cleanupWhenIdle(spent < limit ? limit - spent : 0);
}
