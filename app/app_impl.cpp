#include "app/app_impl.h"

#include "skin/language_table.h"
#include "skin/resource_map.h"
#include "utility/log.h"
#include "utility/ui_dispatcher.h"

bool CAppImpl::init(HINSTANCE instance, const std::wstring&) {
  // Start-up order: the single-instance guard, libcurl's global set-up, the
  // model, the skin and language table, the main window, the IPC endpoint,
  // then the first two events.

  // The skin toolkit's instance and language, the loose "skin"
  // folder, then the skin archive and the language table. The model
  // does not exist yet: an empty locale selects "en_US" until it does.
  DuiLib::setInstance(instance);
  DuiLib::setLanguage(L"", L"en_US");
  DuiLib::setResourcePath(DuiLib::instancePath() + L"skin");
  DuiLib::loadZipResource(DuiLib::kSkinResourceId, L"language.tsv");

  // Temporary until the main window exists and ends the run itself: with no
  // window to close, the spine ends its message loop once it has started.
  postToUi([] {
    LOG(L"no main window yet, leaving the message loop");
    PostQuitMessage(0);
  });
  return true;
}

void CAppImpl::showMainFrame() { LOG(L"create main"); }

int CAppImpl::onHandleWindowIPC(UINT message, WPARAM, LPARAM) {
  LOG(L"ipc, msg = %d", (int)message);
  if (message == kShowYourself) showMainFrame();
  return 0;
}

void CAppImpl::uninit() {
  // Shut-down order: hide the main window, stop the reporter (up to 8000 ms),
  // switch analytics off, libcurl's global clean-up, release the offer library.
  LOG(L"uninit");
}
