#include "app/app_model.h"

#include <atomic>
#include <cwctype>

#include "app/app_impl.h"
#include "app/config_imp.h"
#include "app/language_codes.h"
#include "app/start_parameters.h"
#include "app/window_ipc.h"
#include "report/reporter.h"
#include "ui/disk.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {

// Each model posts under its own key; only the key's identity matters.
uint32_t newPostKey() {
  static std::atomic<uint32_t> next{0x4D440001};
  return next++;
}

std::wstring lowerCase(std::wstring text) {
  for (auto& c : text) c = (wchar_t)std::towlower(c);
  return text;
}

std::wstring ownModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

CAppModel& CAppModel::instance() {
  static CAppModel* model = new CAppModel();  // workers may still use it at exit
  return *model;
}

CAppModel::CAppModel(ModelOptions options)
    : m_analytics(options.analytics),
      options_(std::move(options)),
      config_(options_.config ? options_.config : &ConfigImp::instance()),
      reporter_(options_.reporter ? options_.reporter : &CReporter::instance()),
      m_postKey(newPostKey()) {
  m_netDownloader.setLimits(options_.downloadLimits);
}

void CAppModel::init(const wchar_t*, HINSTANCE instance) {
  m_hInstance = instance;
  // The variant may still change (32-bit Windows forces 4.0), so the rule asks each time.
  reporter_->setDropRule([config = config_] { return config->isPlayer4; });
  std::wstring modulePath = options_.modulePath.empty() ? ownModulePath() : options_.modulePath;
  std::wstring name = utility::ufile::fileName(modulePath, false);
  LOG(L"namne: %s", name.c_str());
  StartParameters parameters = parseStartParameters(name);
  if (parameters.present) {
    LOG(L"t:%s, p:%s, p:%s l:%s", parameters.type.c_str(), parameters.package.c_str(),
        parameters.id.c_str(), parameters.language.c_str());
    _applyStartParameters(parameters);
  }

  if (!m_language.empty()) {
    m_locale = codeToLocale(m_language);
  } else {
    m_locale = uiLanguageToLocale(L"en_US");
    m_language = localeToCode(m_locale);
  }
  m_analytics.init(config_->gaMeasurementId(), config_->gaApiSecret());
  LOG(L"id is %s, package is %s", m_openId.c_str(), m_package.c_str());
  _calcInstallPath();
  // The process command line is deliberately not used: everything comes from the name.
  reporter_->init(m_openId, m_analytics.pcid(), m_language);
}

void CAppModel::_applyStartParameters(const StartParameters& p) {
  if (!p.id.empty() && m_openId == L"100") m_openId = p.id;
  if (!p.language.empty() && p.language.size() <= 3) {
    // "ens" picks the English sites while the window follows Windows' language.
    config_->language = p.language == L"ens" ? L"en" : p.language;
    if (p.language != L"ens") m_language = config_->language;
  }
  if (p.package.size() > 5) m_package = p.package;
  std::wstring type = lowerCase(p.type);
  if (type == L"vorlane4") config_->setPlayer4();
  else if (type == L"vorlane64") config_->setPlayer64();
  else if (type == L"vorlane3") config_->setPlayer3();
  else if (type == L"vorlane9") config_->setPlayer9();
}

bool CAppModel::popupExistPwnd() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceGuid);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    mutex = nullptr;
  }
  if (mutex) {
    m_mutex = mutex;
    LOG(L"not has");
    return false;
  }
  utility::WindowIPC client;
  if (client.open(kInstanceGuid, L"")) client.post(CAppImpl::kShowYourself, 0, 0);
  LOG(L"has");
  return true;
}

void CAppModel::_calcInstallPath() {
  if (m_installDir.empty()) {
    HKEY key = nullptr;
    wchar_t folder[1024] = {};
    if (RegCreateKeyW(HKEY_CURRENT_USER, config_->registryKey().c_str(), &key) == ERROR_SUCCESS) {
      DWORD bytes = sizeof(folder) - sizeof(wchar_t);  // keeps the text terminated
      RegQueryValueExW(key, L"InstallDir", nullptr, nullptr, (BYTE*)folder, &bytes);
      RegCloseKey(key);
    }
    m_installDir = folder;
  }
  LOG(L"reg path: %s", m_installDir.c_str());
  if (m_installDir.empty()) {
    utility::disk::DriveChoice best = utility::disk::bestDrive();
    m_installDir = best.root + config_->defaultInstallSubPath();
    m_defaultInstallDir = m_installDir;
    m_defaultDriveIsSsd = best.ssd;
    LOG(L"space path: %s", m_installDir.c_str());
  } else if (utility::ufile::exists(m_installDir + L"\\vdplayer.exe")) {
    LOG(L"player exist");
    m_playerExist = true;
  }
}

void CAppModel::reloadPlayerConfig() {
  m_installDir.clear();
  _calcInstallPath();
  m_url = config_->packageUrl();
  m_spareUrl = config_->sparePackageUrl();
}

void CAppModel::trackEvent(const std::wstring& eventName, const std::wstring& label) {
  m_analytics.sendEvent(eventName, label);
}
