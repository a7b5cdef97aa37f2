// The first page's custom-path panel: the edit box, the folder browser, and
// the advice on a chosen folder's drive. The rules are install_path_rules.h.
#include <shlobj.h>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/install_path_rules.h"
#include "app/main_frame.h"
#include "skin/language_table.h"
#include "toolkit/edit.h"
#include "toolkit/option.h"
#include "ui/disk.h"
#include "ui/msg_builders.h"
#include "utility/callback_guard.h"
#include "utility/log.h"

namespace {

const wchar_t kErrorEditImage[] = L"file='error_edit_bg.png' source='0,0,10,10' corner='4,4,4,4'";
const wchar_t kEditImage[] = L"file='browse_button.png' source='0,0,28,28' corner='4,4,4,4'";
const wchar_t kEditHotImage[] = L"file='browse_button.png' source='28,0,56,28' corner='4,4,4,4'";
const wchar_t kEditFocusedImage[] =
    L"file='browse_button.png' source='56,0,84,28' corner='4,4,4,4'";

// Opens the folder browser on drive C.
int CALLBACK browseCallback(HWND window, UINT message, LPARAM, LPARAM) {
  return utility::guarded<int>("browseCallback", 0, [&]() -> int {
    if (message == BFFM_INITIALIZED)
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(L"C:"));
    return 0;
  });
}

std::wstring firstLetter(const std::wstring& path) { return path.substr(0, 1); }

}  // namespace

void CAppMainFrame::showUserDefine(bool open) {
  if (auto* panel = find<DuiLib::CControlUI>(L"userdefinui")) panel->setVisible(open);
  if (auto* define = find<DuiLib::CControlUI>(L"userdefinLayout2")) define->setVisible(!open);
  if (auto* back = find<DuiLib::CControlUI>(L"backLayout")) back->setVisible(open);
  if (auto* install = find<DuiLib::CControlUI>(L"installnowbtn")) {
    install->setText(langText(open ? "install_now" : "install_fast"));
  }
}

void CAppMainFrame::refreshPanel() {
  auto* define = find<DuiLib::CControlUI>(L"userdefineBtn");
  showUserDefine(!(define && define->isVisible()));
}

void CAppMainFrame::onUserDefine(DuiLib::TNotifyUI&) { showUserDefine(true); }

void CAppMainFrame::onBack(DuiLib::TNotifyUI&) { showUserDefine(false); }

void CAppMainFrame::onAcceptChanged(DuiLib::TNotifyUI&) { refreshPathState(); }

void CAppMainFrame::refreshPathState() {
  const std::wstring& path = model_.m_installDir;
  bool valid = isValidInstallPath(path);
  auto* edit = find<DuiLib::CEditUI>(L"pathedit");
  if (edit && edit->getText() != path) edit->setText(path);
  if (auto* error = find<DuiLib::CControlUI>(L"errorLayout")) error->setVisible(!valid);
  auto* accepted = find<DuiLib::COptionUI>(L"acceptOpt");
  if (auto* install = find<DuiLib::CControlUI>(L"installnowbtn")) {
    install->setEnabled(valid && accepted && accepted->isSelected());
  }
  refreshPanel();
  if (!edit) return;
  edit->setNormalImage(valid ? kEditImage : kErrorEditImage);
  edit->setHotImage(valid ? kEditHotImage : kErrorEditImage);
  edit->setFocusedImage(valid ? kEditFocusedImage : kErrorEditImage);
}

void CAppMainFrame::reloadInstallPath() {
  if (auto* edit = find<DuiLib::CControlUI>(L"pathedit")) edit->setText(model_.m_installDir);
  refreshPathState();
  showVariantLogo();  // the variant may have changed with the folder
}

void CAppMainFrame::onPathEdited(DuiLib::TNotifyUI& msg) {
  changePathClac(true, toSlashForm(msg.sender->getText()));
}

void CAppMainFrame::onBrowse(DuiLib::TNotifyUI&) { openBrowseFlow(); }

void CAppMainFrame::openBrowseFlow() {
  if (model_.m_installDir.empty()) {
    browseFolder();
    return;
  }
  std::weak_ptr<CAppMainFrame> self = weak();
  msg::ButtonSpec browse{langText("sure"),
                         [self] {
                           if (auto frame = self.lock()) frame->browseFolder();
                         },
                         false};
  msg::twoButtonBox(getHWND(), browse, {langText("cancel"), nullptr, true}, L"", langText("noice"),
                    langText("change_path_tip"));
}

void CAppMainFrame::browseFolder() {
  std::wstring title = langText("choice_path");
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = getHWND();
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = browseCallback;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return;
  wchar_t folder[MAX_PATH] = {};
  bool picked = SHGetPathFromIDListW(chosen, folder) != FALSE;
  IMalloc* shellMemory = nullptr;
  if (SUCCEEDED(SHGetMalloc(&shellMemory))) {
    shellMemory->Free(chosen);
    shellMemory->Release();
  }
  if (picked) changePathClac(true, toSlashForm(folder));
}

void CAppMainFrame::setInstallPath(const std::wstring& path) {
  if (path == model_.m_installDir) return;
  ProductFolderNames names{config_.defaultInstallSubPath(), config_.playerFolderName(),
                           config_.productName()};
  model_.m_installDir = completeInstallPath(path, names);
  if (auto* edit = find<DuiLib::CControlUI>(L"pathedit")) edit->setText(model_.m_installDir);
  refreshPathState();
}

void CAppMainFrame::changePathClac(bool ask, const std::wstring& path) {
  if (path == model_.m_installDir) return;
  std::wstring old = model_.m_installDir;
  setInstallPath(toBackslashes(path));

  PathChoice choice;
  choice.ask = ask;
  choice.path = path;
  choice.bestPath = model_.m_defaultInstallDir;
  choice.bestIsSsd = model_.m_defaultDriveIsSsd;
  choice.chosenIsSsd = [&path] { return utility::disk::isSsd(path.substr(0, 2)); };
  choice.chosenUsableMB = [&path] { return utility::disk::usableSpaceMB(path); };
  switch (adviseOnPath(choice)) {
    case PathAdvice::kSameBestDrive:
      LOG(L"same best path");
      break;
    case PathAdvice::kDrivePrompt: {
      // Keeping the folder checks it again, without this question.
      auto keep = [self = weak(), path] {
        if (auto frame = self.lock()) frame->changePathClac(false, path);
      };
      showPathPrompt(choice.bestPath,
                     fillDriveLetters(langText("pathTip_ssd"),
                                      {firstLetter(path), firstLetter(choice.bestPath)}),
                     keep);
      break;
    }
    case PathAdvice::kSpacePrompt: {
      LOG(L"left 17G");
      std::wstring recommended = choice.bestPath.empty() ? old : choice.bestPath;
      showPathPrompt(recommended,
                     fillDriveLetters(langText("pathTip_morebig"), {firstLetter(recommended)}),
                     nullptr);
      break;
    }
    case PathAdvice::kNone:
      break;
  }
}

void CAppMainFrame::showPathPrompt(const std::wstring& suggested, const std::wstring& text,
                                   std::function<void()> keep) {
  std::weak_ptr<CAppMainFrame> self = weak();
  msg::ButtonSpec useSuggested{langText("path_ok"),
                               [self, suggested] {
                                 if (auto frame = self.lock()) frame->setInstallPath(suggested);
                               },
                               true};
  msg::twoButtonBoxWithClose(getHWND(), useSuggested, {langText("path_not"), keep, false}, L"",
                             langText("path_noice"), text, keep);
}
