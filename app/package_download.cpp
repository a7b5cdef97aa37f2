// The package download: WinINet on the primary then the spare address, then
// libcurl on both, on the model's download worker.
#include <atomic>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/model_rules.h"
#include "app/package_signature.h"
#include "net/curl_downloader.h"
#include "net/download_limits.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "utility/log.h"
#include "utility/text.h"
#include "utility/ufile.h"

namespace {

std::atomic<int> g_retryTicks{0};  // process-wide, never reset

uint64_t fileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

}  // namespace

void CAppModel::startDownloadPlayer() {
  if (m_url.empty()) {
    LOG(L"start. current in get palyer url");
    m_retryTimer.start(options_.retryTickMs, makeRunable([this] { _retryTick(); }));
    return;
  }
  // The worker runs once per process: a later request leaves it alone.
  Runable* worker = new MemberFuncRunable<CAppModel>(this, &CAppModel::_threadDownloadPlayer);
  if (m_downloadThread.start(worker)) return;
  worker->release();
  if (m_downloadThread.held()) return;
  // No thread could be made: the download has failed.
  LOG(L"download not started: no thread");
  postToWindow([this] {
    if (callbacks_.downloadFailed) callbacks_.downloadFailed();
  });
}

void CAppModel::_retryTick() {
  if (++g_retryTicks < 2 && m_url.empty()) return;
  if (m_url.empty()) {
    m_url = config_->packageUrl();
    m_spareUrl = config_->sparePackageUrl();
  }
  startDownloadPlayer();
  m_retryTimer.stop();
}

void CAppModel::_threadDownloadPlayer() {
  LOG(L"download player");
  if (!utility::ufile::exists(m_installDir)) utility::ufile::makeDir(m_installDir);
  m_lastProgressTick = 0;
  std::wstring packagePath = _makePackageFolder();
  DWORD attemptStart = GetTickCount();
  m_downloadStartTick = attemptStart;

  bool ok = !packagePath.empty() && _downloadByNet(packagePath);
  if (!ok && !packagePath.empty()) {
    LOG(L"download by vlcurl");
    config_->useIe = false;
    m_downloadStartTick = GetTickCount();
    for (bool spare : {false, true}) {
      if (spare) LOG(L"download by vlcurl too");
      config_->useSpareUrl = spare;
      CurlSource source = _downloadByCurl(packagePath, spare ? m_spareUrl : m_url);
      if (source == CurlSource::tooSmall) LOG(L"too small package");
      ok = source == CurlSource::accepted;
      if (ok) break;
    }
  }
  if (!ok) packageFolder_.remove();
  postToWindow([this, ok] {
    auto& callback = ok ? callbacks_.downloadDone : callbacks_.downloadFailed;
    if (callback) callback();
  });
  _reportDownloadOutcome(ok);
  LOG(L"download end, success = %d, elapse = %d", ok ? 1 : 0,
      model_rules::elapseSeconds(GetTickCount() - attemptStart));
}

// The package never lives in the installation folder, which ordinary users
// may be able to change: it is downloaded, checked and run in a private folder
// (utility/private_folder.h) in the user's temp folder, or in the system's
// when that one is refused (behind a junction, say).
std::wstring CAppModel::_makePackageFolder() {
  for (const std::wstring& parent :
       {utility::ufile::localTempFolder(), utility::ufile::systemTempFolder()}) {
    if (parent.empty() || !packageFolder_.create(parent)) continue;
    const std::wstring& folder = packageFolder_.path();
    std::wstring packagePath = config_->packagePath(folder.substr(0, folder.size() - 1));
    std::wstring name = utility::ufile::fileName(packagePath, true);
    packageFolder_.noteFile(name);
    packageFolder_.noteFile(name + L".tmp");
    return packagePath;
  }
  LOG(L"no private folder for the package");
  return {};
}

// One libcurl source: accepted above 10 MiB and with the publisher's signature.
// A refused file is deleted, also after the last source, and so is what a
// broken transfer left: libcurl writes error pages and partial bodies too, and
// none must stay behind under the package's name.
CAppModel::CurlSource CAppModel::_downloadByCurl(const std::wstring& packagePath,
                                                 const std::wstring& url) {
  auto percent = [this](int value) {
    postToWindow([this, value] {
      if (callbacks_.percent) callbacks_.percent(value);
    });
  };
  if (!CCurlDownloader::downloadFile(packagePath, utility::wideToAnsi(url), percent,
                                     options_.downloadLimits)) {
    if (utility::ufile::exists(packagePath)) utility::ufile::removeFile(packagePath);
    return CurlSource::failed;
  }
  if (fileSize(packagePath) <= model_rules::kMinCurlPackageBytes) {
    utility::ufile::removeFile(packagePath);
    return CurlSource::tooSmall;
  }
  return _acceptPackage(packagePath) ? CurlSource::accepted : CurlSource::refused;
}

// The publisher's signature decides whether a transferred file may be run. The
// file is opened before the check and stays open, refusing writers, renames
// and deletes, until the package's process has been created.
bool CAppModel::_acceptPackage(const std::wstring& path) {
  const utility::PackageSigner signer = options_.packageSigner.name.empty()
                                            ? utility::packagePublisher()
                                            : options_.packageSigner;
  checkedPackage_.close();
  if (checkedPackage_.openForRead(path) &&
      utility::verifyPackageSignature(path, signer, checkedPackage_.handle()))
    return true;
  checkedPackage_.close();
  LOG(L"package refused, deleted: %s", path.c_str());
  utility::ufile::removeFile(path);
  return false;
}

bool CAppModel::_downloadByNet(const std::wstring& packagePath) {
  m_lastProgressTick = 0;
  LOG(L"start. url: %s", m_url.c_str());
  std::wstring temporary = packagePath + L".tmp";
  utility::ufile::removeFile(temporary);
  config_->useSpareUrl = false;
  config_->useIe = true;
  if (!_downloadByNetFrom(m_url, temporary, packagePath)) {
    LOG(L"download errro! .use spare url");
    m_netDownloader.stop();
    config_->useSpareUrl = true;
    if (!_downloadByNetFrom(m_spareUrl, temporary, packagePath)) {
      LOG(L"download file error %s", packagePath.c_str());
      return false;
    }
  }
  LOG(L"download file success file = %s", packagePath.c_str());
  return true;
}

// The move comes before the check, so that the file checked is the one under
// the package's name. A move that fails is the source's failure: an older file
// of that name was never checked.
bool CAppModel::_downloadByNetFrom(const std::wstring& url, const std::wstring& temporary,
                                   const std::wstring& packagePath) {
  bool ok = m_netDownloader.download(url, temporary, this) &&
            utility::ufile::moveFile(temporary, packagePath,
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) &&
            _acceptPackage(packagePath);
  // A partial body must not stay behind in the user's installation folder.
  if (!ok && utility::ufile::exists(temporary)) utility::ufile::removeFile(temporary);
  return ok;
}

bool CAppModel::onProgress(const char*, int, int received, int total) {
  DWORD now = GetTickCount();
  // At most once a second, but the last report, all of the file, always
  // goes: the window then shows the download complete.
  bool whole = total > 0 && received == total;
  if (!whole && !progressReportDue(now, m_lastProgressTick)) return true;
  m_lastProgressTick = now;
  total = model_rules::progressTotal(received, total);
  postToWindow([this, received, total] {
    m_percent = model_rules::progressPercent(received, total);
    if (callbacks_.progress) callbacks_.progress(m_percent, received, total);
  });
  return true;
}

void CAppModel::_reportDownloadOutcome(bool ok) {
  namespace ev = events;
  if (!ok) {
    trackEvent(ev::analytics::kDownloadError, m_openId);
    reporter_->addEvent(ev::report::kDownloadFail,
                        reportProperties({{ev::property::kFailureReason,
                                           std::wstring(ev::property::kDownloadFailReason)}}));
    return;
  }
  bool spare = config_->useSpareUrl;
  bool ie = config_->useIe;
  int duration = (int)(GetTickCount() - m_downloadStartTick);
  trackEvent(ev::analytics::kDownloadSucess, m_openId);
  reporter_->addEvent(ev::report::kDownloadSuccess,
                      reportProperties({{ev::property::kExtField, model_rules::sourceText(spare)}}));
  reporter_->addEvent(ev::report::kDownloadDuration,
                      reportProperties({{ev::property::kDuration, duration},
                                        {ev::property::kExtField,
                                         model_rules::durationText(spare, ie)}}));
}
