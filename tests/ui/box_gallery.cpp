// Draws every message box of the installer, in English, Arabic and Chinese,
// at 100 % and 150 %, into PNG files: box_gallery.exe OUTPUT_FOLDER.
// Each picture is the box's own layered picture (shadow included) laid over
// a plain backdrop, as a compositing desktop would show it.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/install_path_rules.h"
#include "skin/language_table.h"
#include "tests/support/ui_testing.h"
#include "tests/ui/box_fixture.h"
#include "toolkit/dpi.h"
#include "ui/message_box.h"
#include "ui/msg_builders.h"

namespace {

msg::ButtonSpec spec(const char* key, bool primary) { return {langText(key), nullptr, primary}; }

struct Occasion {
  const char* id;
  std::function<void(HWND)> open;
  const wchar_t* windowClass;
};

std::vector<Occasion> occasions() {
  return {
      {"install_check", [](HWND o) { msg::oneButtonBox(o, spec("confirm", true), 2, langText("error"), langText("disk_notEnough")); }, L"MessageBox"},
      {"close_installing", [](HWND o) { msg::oneButtonBox(o, spec("sure", true), 0, langText("noice"), langText("installing_exit_tip")); }, L"MessageBox"},
      {"close_downloading", [](HWND o) { msg::twoButtonBox(o, spec("download_close", false), spec("downloadBybrowser", true), 0, langText("noice"), langText("download_slowtip")); }, L"MessageBox"},
      {"download_failed", [](HWND o) { msg::twoButtonBox(o, spec("Yes", true), spec("No", false), 0, langText("noice"), langText("download_error_tip2")); }, L"MessageBox"},
      {"browse_existing", [](HWND o) { msg::twoButtonBox(o, spec("sure", false), spec("cancel", true), L"", langText("noice"), langText("change_path_tip")); }, L"MessageBox"},
      {"drive_prompt", [](HWND o) { msg::twoButtonBoxWithClose(o, spec("path_ok", true), spec("path_not", false), L"", langText("path_noice"), fillDriveLetters(langText("pathTip_ssd"), L"DC"), [] {}); }, L"MessageBox"},
      {"space_prompt", [](HWND o) { msg::twoButtonBox(o, spec("path_ok", true), spec("path_not", false), L"", langText("path_noice"), fillDriveLetters(langText("pathTip_morebig"), L"E")); }, L"MessageBox"},
      {"old_system", [](HWND o) { msg::showUnsupportedSystemBox(o); }, L"MessageBox"},
      {"leave_installation", [](HWND o) { CMessageBox::show(o, CMessageBox::kLeaveInstallation, 0); }, L"vlbox"},
      {"installing_notice", [](HWND o) { CMessageBox::show(o, CMessageBox::kInstalling, 0); }, L"vlbox"},
  };
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: box_gallery OUTPUT_FOLDER\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  CreateDirectoryW(folder.c_str(), nullptr);
  int failures = 0;
  int saved = 0;
  for (const wchar_t* language : {L"en_US", L"ar_IL", L"zh_CN"}) {
    testing_support::useStagedSkin(language);
    for (int scale : {100, 150}) {
      DuiLib::setDpiPercent(scale);
      HWND owner = box_testing::createOwnerWindow(900, 600);
      int index = 0;
      for (const Occasion& occasion : occasions()) {
        ++index;
        occasion.open(owner);
        auto boxes = testing_support::windowsOfClass(occasion.windowClass);
        if (boxes.empty()) {
          fwprintf(stderr, L"no box for %hs\n", occasion.id);
          ++failures;
          continue;
        }
        DuiLib::WindowImplBase* box = boxes.front();
        box->manager().render();
        wchar_t name[128] = {};
        _snwprintf(name, 127, L"%ls_%d_%02d_%hs.png", language, scale, index, occasion.id);
        if (testing_support::savePicture(box->manager().picture(), folder + name)) {
          ++saved;
        } else {
          ++failures;
        }
        DestroyWindow(box->getHWND());
        testing_support::pumpFor(20);
      }
      DestroyWindow(owner);
    }
  }
  wprintf(L"%d pictures saved, %d failures\n", saved, failures);
  return failures == 0 ? 0 : 1;
}
