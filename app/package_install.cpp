// The silent installation: end the emulator, run the package with its switches
// and wait for it; then start the emulator, without administrator rights where
// the system allows.
#include <future>
#include <list>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/model_rules.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "utility/log.h"
#include "utility/process.h"
#include "utility/ufile.h"
#include "utility/usystem.h"

namespace {

// Install tasks not yet finished; a finished task removes itself on the UI
// thread, where the list lives.
struct InstallTask {
  int id;
  std::future<void> done;
};

std::list<InstallTask>& installTasks() {
  static auto* tasks = new std::list<InstallTask>();
  return *tasks;
}

}  // namespace

void runInstallTask(CAppModel& model) {
  static int lastId = 0;
  int id = ++lastId;
  installTasks().push_back({id, std::async(std::launch::async, [&model, id] {
                              model._threadInsPlayer();
                              postToUi([id] {
                                installTasks().remove_if(
                                    [id](const InstallTask& task) { return task.id == id; });
                              });
                            })});
}

void CAppModel::_threadInsPlayer() {
  std::wstring switches = model_rules::packageSwitches(m_openId, m_language, m_installDir);
  LOG(L"install:  %s", switches.c_str());
  std::wstring packagePath = config_->packagePath(m_installDir);
  killPlayerProcesses();
  m_installStartTick = GetTickCount();
  bool ok = runPackage(packagePath, switches);
  utility::ufile::makeDir(m_installDir + L"data\\");
  postToWindow([this, ok] {
    if (callbacks_.installFinished) callbacks_.installFinished(ok);
  });
}

void CAppModel::killPlayerProcesses() {
  for (const wchar_t* name : kPlayerProcessNames)
    utility::process::execute(L"taskkill", std::wstring(L"/F /IM ") + name + L" /T", false, 2000);
}

bool CAppModel::runPackage(const std::wstring& path, const std::wstring& switches) {
  std::wstring line = utility::process::commandLine(path, switches);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION info = {};
  BOOL created = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                                nullptr, nullptr, &startup, &info);
  DWORD error = GetLastError();
  checkedPackage_.close();  // the process has its image; the file may change now
  if (!created) {
    std::wstring code = std::to_wstring((unsigned long)error);
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
  return true;
}

void CAppModel::_reportInstallFailure(const std::wstring& labelSuffix, const std::wstring& reason) {
  trackEvent(events::analytics::kInstallError, m_openId + L"_" + labelSuffix);
  reporter_->addEvent(events::report::kInstallFail,
                      reportProperties({{events::property::kFailureReason, reason}}));
}

void CAppModel::onInstallError(int code) {
  trackEvent(events::analytics::kInstallError, m_openId);
  reporter_->addEvent(events::report::kInstallFail,
                      reportProperties({{events::property::kFailureReason,
                                         events::property::kErrorCodePrefix + std::to_wstring(code)}}));
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

void CAppModel::runPlayer(const std::wstring& parameters) {
  utility::usystem::WindowsVersion version = utility::usystem::windowsVersion();
  std::wstring player = m_installDir + L"\\" + kPlayerExeName;
  if (model_rules::startsPlayerWithoutAdmin(version.major, version.minor)) {
    LOG(L"run by amdin");
    if (utility::process::runExeFileWithNoAdmin(player, parameters) != -1) return;
    LOG(L"run by amdin error: %d", (int)GetLastError());
  }
  utility::process::shell(player, parameters, true, false);
}
