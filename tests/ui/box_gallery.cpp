// Draws every message box of the installer, in English, Arabic and Chinese,
// at 100 % and 150 %, into PNG files: box_gallery.exe OUTPUT_FOLDER.
// Each picture is the box's own layered picture (shadow included) laid over
// a plain backdrop, as a compositing desktop would show it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/install_path_rules.h"
#include "skin/language_table.h"
#include "tests/support/gallery.h"
#include "tests/support/ui_testing.h"
#include "tests/ui/box_fixture.h"
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
      {"install_check",
       [](HWND o) {
         msg::oneButtonBox(o, spec("confirm", true), 2, langText("error"),
                           langText("disk_notEnough"));
       },
       L"MessageBox"},
      {"close_installing",
       [](HWND o) {
         msg::oneButtonBox(o, spec("sure", true), 0, langText("noice"),
                           langText("installing_exit_tip"));
       },
       L"MessageBox"},
      {"close_downloading",
       [](HWND o) {
         msg::twoButtonBox(o, spec("download_close", false), spec("downloadBybrowser", true), 0,
                           langText("noice"), langText("download_slowtip"));
       },
       L"MessageBox"},
      {"download_failed",
       [](HWND o) {
         msg::twoButtonBox(o, spec("Yes", true), spec("No", false), 0, langText("noice"),
                           langText("download_error_tip2"));
       },
       L"MessageBox"},
      {"install_incomplete",
       [](HWND o) {
         msg::twoButtonBox(o, spec("Yes", true), spec("No", false), 0, langText("noice"),
                           langText("install_incomplete_tip"));
       },
       L"MessageBox"},
      {"browse_existing",
       [](HWND o) {
         msg::twoButtonBox(o, spec("sure", false), spec("cancel", true), L"", langText("noice"),
                           langText("change_path_tip"));
       },
       L"MessageBox"},
      {"drive_prompt",
       [](HWND o) {
         msg::twoButtonBoxWithClose(o, spec("path_ok", true), spec("path_not", false), L"",
                                    langText("path_noice"),
                                    fillDriveLetters(langText("pathTip_ssd"), {L"D", L"C"}), [] {});
       },
       L"MessageBox"},
      {"space_prompt",
       [](HWND o) {
         msg::twoButtonBox(o, spec("path_ok", true), spec("path_not", false), L"",
                           langText("path_noice"),
                           fillDriveLetters(langText("pathTip_morebig"), {L"E"}));
       },
       L"MessageBox"},
      {"old_system", [](HWND o) { msg::showUnsupportedSystemBox(o); }, L"MessageBox"},
      {"leave_installation",
       [](HWND o) { CMessageBox::show(o, CMessageBox::kLeaveInstallation, 0); }, L"vlbox"},
      {"installing_notice", [](HWND o) { CMessageBox::show(o, CMessageBox::kInstalling, 0); },
       L"vlbox"},
  };
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing_support::Gallery gallery;
  if (!gallery.open(argc, argv, L"box_gallery")) return 2;
  gallery.forEachLanguageAndScale([&](const wchar_t*) {
    HWND owner = box_testing::createOwnerWindow(900, 600);
    int index = 0;
    for (const Occasion& occasion : occasions()) {
      occasion.open(owner);
      auto boxes = testing_support::windowsOfClass(occasion.windowClass);
      if (boxes.empty()) {
        gallery.fail(occasion.id);
        continue;
      }
      gallery.save(*boxes.front(), ++index, occasion.id);
      DestroyWindow(boxes.front()->getHWND());
      testing_support::pumpFor(20);
    }
    DestroyWindow(owner);
  });
  return gallery.finish();
}
