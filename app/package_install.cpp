// The silent installation: end the emulator, run the package with its switches
// and wait for it; then start the emulator, without administrator rights where
// the system allows.
#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/model_rules.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "utility/desktop_shell.h"
#include "utility/detached_thread.h"
#include "utility/log.h"
#include "utility/number_text.h"
#include "utility/process.h"
#include "utility/ufile.h"
#include "utility/usystem.h"

bool runInstallTask(CAppModel& model) {
  if (utility::startDetachedThread([&model] { model._threadInsPlayer(); })) return true;
  LOG(L"install task not started");
  return false;
}

void CAppModel::_threadInsPlayer() {
  std::wstring switches = model_rules::packageSwitches(m_openId, m_language, m_installDir);
  LOG(L"install:  %s", switches.c_str());
  // The file that passed the check, wherever its name may point by now.
  std::wstring packagePath =
      checkedPackage_.isOpen() ? utility::ufile::finalPathOf(checkedPackage_.handle()) : std::wstring();
  killPlayerProcesses();
  m_installStartTick = GetTickCount();
  // Posted before the package starts and after it ended: the package's own
  // posts come between them, in the order the UI thread takes them.
  postToWindow([this] {
    awaitingPackageResult_ = true;
    packageReportedFailure_ = false;
  });
  bool ok = runPackage(packagePath, switches);
  // The package has ended (a package still running is left to the restart).
  packageFolder_.remove();
  utility::ufile::makeDir(m_installDir + L"data\\");
  postToWindow([this, ok] {
    awaitingPackageResult_ = false;
    // Success only when the package ended in time and did not say it failed.
    bool success = ok && !packageReportedFailure_;
    if (success) _forgetKeptDownload();
    if (callbacks_.installFinished) callbacks_.installFinished(success);
  });
}

// Ended directly: a program started by its bare name, as "taskkill" was,
// could be one planted beside the installer.
void CAppModel::killPlayerProcesses() {
  for (const wchar_t* name : kPlayerProcessNames) utility::process::endProcessesByName(name, true);
}

bool CAppModel::runPackage(const std::wstring& path, const std::wstring& switches) {
  std::wstring line = utility::process::commandLine(path, switches);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION info = {};
  // The package and what it starts look for DLLs in their current folder too:
  // its private folder, which only administrators can change.
  const wchar_t* folder = packageFolder_.exists() ? packageFolder_.path().c_str() : nullptr;
  BOOL created = !path.empty() && CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                                                 CREATE_NEW_CONSOLE, nullptr, folder, &startup,
                                                 &info);
  DWORD error = path.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
  checkedPackage_.close();  // the process has its image; the file may change now
  if (!created) {
    std::wstring code = utility::decimalText((unsigned long)error);
    _reportInstallFailure(events::analytics::kErrCreateProcessPrefix + code,
                          events::property::kPackageErrorPrefix + code);
    return false;
  }
  CloseHandle(info.hThread);
  DWORD waited = WaitForSingleObject(info.hProcess, options_.packageWaitMs);
  CloseHandle(info.hProcess);
  if (waited == WAIT_TIMEOUT)
    _reportInstallFailure(events::analytics::kErrWaitTimeout, events::property::kInstallTimeout);
  else if (waited == WAIT_FAILED)
    _reportInstallFailure(events::analytics::kErrWaitFailed, events::property::kInstallWaitFailed);
  else if (waited != WAIT_OBJECT_0)
    _reportInstallFailure(events::analytics::kErrUnknown, events::property::kInstallOther);
  return waited == WAIT_OBJECT_0;
}

void CAppModel::_reportInstallFailure(const std::wstring& labelSuffix, const std::wstring& reason) {
  trackEvent(events::analytics::kInstallError, m_openId + L"_" + labelSuffix);
  reporter_->addEvent(events::report::kInstallFail,
                      reportProperties({{events::property::kFailureReason, reason}}));
}

bool CAppModel::takePackageResult() {
  if (!awaitingPackageResult_) return false;
  awaitingPackageResult_ = false;
  return true;
}

void CAppModel::onInstallError(int code) {
  packageReportedFailure_ = true;
  trackEvent(events::analytics::kInstallError, m_openId);
  reporter_->addEvent(events::report::kInstallFail,
                      reportProperties({{events::property::kFailureReason,
                                         events::property::kErrorCodePrefix + utility::decimalText(code)}}));
  reporter_->notify();
}

void CAppModel::onInstallSuccess() {
  trackEvent(events::analytics::kInstallSucess, m_openId);
  reporter_->addEvent(events::report::kInstallSuccess);
  int duration = (int)(GetTickCount() - m_installStartTick);
  reporter_->addEvent(events::report::kDownloaderFullDuration,
                      reportProperties({{events::property::kDuration, duration}}));
  reporter_->notify();
}

void CAppModel::startPlayer() { runPlayer(model_rules::playerParameters(m_package)); }

// The emulator never runs with the installer's rights, on any version of
// Windows: it starts with the desktop shell's token or, where that cannot be
// had, is started by the desktop's shell itself; failing both, it is not
// started at all.
void CAppModel::runPlayer(const std::wstring& parameters) {
  std::wstring player = m_installDir + L"\\" + kPlayerExeName;
  LOG(L"run by amdin");
  if (utility::process::runExeFileWithNoAdmin(player, parameters) != -1) return;
  LOG(L"run by amdin error: %d", (int)GetLastError());
  if (utility::desktop_shell::open(player, parameters)) {
    LOG(L"run by the desktop shell");
    return;
  }
  LOG(L"player not started: no way to start it without administrator rights");
}
