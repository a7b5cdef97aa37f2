// Draws every page and state of the main window, in English, Chinese and
// Arabic, at 100 % and 150 %, into PNG files: main_frame_gallery.exe FOLDER.
// Each picture is the window's own layered picture (shadow included) laid
// over a plain backdrop, as a compositing desktop would show it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/language_codes.h"
#include "app/main_frame.h"
#include "tests/support/gallery.h"
#include "tests/support/ui_testing.h"
#include "toolkit/container.h"
#include "toolkit/option.h"
#include "utility/ui_dispatcher.h"

namespace {

void show(CAppMainFrame& frame, const wchar_t* name, bool visible) {
  if (auto* control = frame.findControl(name)) control->setVisible(visible);
}

void selectPage(CAppMainFrame& frame, int page) {
  if (auto* tab = frame.find<DuiLib::CTabLayoutUI>(L"maintab")) tab->selectItem(page);
}

struct State {
  const char* id;
  std::function<void(CAppMainFrame&)> enter;
};

std::vector<State> states() {
  return {
      {"start", [](CAppMainFrame&) {}},
      // The first Tab's stop, with the mark the keyboard's focus shows.
      {"keyboard_focus", [](CAppMainFrame& f) { f.manager().moveFocus(false); }},
      {"keyboard_focus_licence",
       [](CAppMainFrame& f) {
         f.manager().moveFocus(false);
         f.manager().moveFocus(false);
       }},
      {"licence_unticked",
       [](CAppMainFrame& f) { f.find<DuiLib::COptionUI>(L"acceptOpt")->selected(false, true); }},
      {"folder_panel", [](CAppMainFrame& f) { f.showUserDefine(true); }},
      {"folder_invalid",
       [](CAppMainFrame& f) {
         f.showUserDefine(true);
         f.setInstallPath(L"C:\\Games\\ \\x");
       }},
      {"offer_loading",
       [](CAppMainFrame& f) {
         show(f, L"logo9Con", false);
         selectPage(f, CAppMainFrame::kOfferLoadingPage);
       }},
      {"offer_shown",
       [](CAppMainFrame& f) {
         show(f, L"logo9Con", false);
         selectPage(f, CAppMainFrame::kOfferLoadingPage);
         show(f, L"ironsourceLayout", true);
       }},
      {"offer_consent",
       [](CAppMainFrame& f) {
         show(f, L"logo9Con", false);
         selectPage(f, 8);
       }},
      {"downloading",
       [](CAppMainFrame& f) {
         f.showDownloadPage();
         f.onDownloadProgress(42, 220200960, 524288000);
       }},
      {"downloading_percent",
       [](CAppMainFrame& f) {
         f.showDownloadPage();
         f.onDownloadPercent(57);
       }},
      // The last report of the download: all of it.
      {"downloaded",
       [](CAppMainFrame& f) {
         f.showDownloadPage();
         f.onDownloadProgress(100, 524288000, 524288000);
       }},
      {"installing",
       [](CAppMainFrame& f) {
         f.showDownloadPage();
         f.onDownloadProgress(100, 524288000, 524288000);
         f.onDownloadDone();
       }},
      // The package reported failure: no 100 %, the manual download offered.
      {"install_incomplete",
       [](CAppMainFrame& f) {
         f.showDownloadPage();
         f.onDownloadProgress(100, 524288000, 524288000);
         f.onDownloadDone();
         f.onInstallFinished(false);
       }},
      {"licence_page", [](CAppMainFrame& f) { selectPage(f, 1); }},
      {"app_install_page", [](CAppMainFrame& f) { selectPage(f, 3); }},
      {"finished_page", [](CAppMainFrame& f) { selectPage(f, 4); }},
  };
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing_support::Gallery gallery;
  if (!gallery.open(argc, argv, L"main_frame_gallery")) return 2;
  utility::UiDispatcher::create();
  gallery.forEachLanguageAndScale([&](const wchar_t* locale) {
    ConfigImp::instance().language =
        localeToCode(locale);  // "ar" shows the status text without a number
    int index = 0;
    for (const State& state : states()) {
      // Each state starts from the proposed folder. Installing would run
      // the package, which that folder lacks: its start fails quietly.
      CAppModel::instance().m_installDir = L"C:\\Vorlane\\Vorlane9\\";
      auto* frame = new CAppMainFrame();
      if (!frame->create(nullptr, nullptr, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0)) {
        gallery.fail(state.id);
        continue;
      }
      state.enter(*frame);
      gallery.save(*frame, ++index, state.id);
      DestroyWindow(frame->getHWND());
      testing_support::pumpFor(20);
    }
  });
  return gallery.finish();
}
