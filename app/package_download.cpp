// The package download: WinINet on the primary then the spare address, then
// libcurl on both, on the model's download worker.
#include <algorithm>
#include <atomic>
#include <vector>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/model_rules.h"
#include "app/package_signature.h"
#include "net/curl_downloader.h"
#include "net/download_limits.h"
#include "net/host_probe.h"
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
  std::unique_ptr<PartialFile> partial = packagePath.empty() ? nullptr : _openPartial(packagePath);

  bool ok = false;
  DWORD offlineSince = 0;
  // The four sources, again and again while the network comes and goes: when
  // every one failed for want of a connection, the download waits for one.
  for (bool waited = false; partial;) {
    SourceEnd end = _downloadByNet(packagePath, *partial);
    if (end != SourceEnd::done) {
      LOG(L"download by vlcurl");
      config_->useIe = false;
      m_downloadStartTick = GetTickCount();
      for (bool spare : {false, true}) {
        if (spare) LOG(L"download by vlcurl too");
        config_->useSpareUrl = spare;
        CurlSource source = _downloadByCurl(packagePath, spare ? m_spareUrl : m_url, *partial);
        if (source == CurlSource::tooSmall) LOG(L"too small package");
        if (source == CurlSource::accepted) end = SourceEnd::done;
        if (source != CurlSource::offline && end == SourceEnd::offline) end = SourceEnd::failed;
        if (end == SourceEnd::done) break;
      }
    }
    ok = end == SourceEnd::done;
    if (end != SourceEnd::offline) break;
    if (!waited) offlineSince = GetTickCount();
    waited = true;
    if (!_waitForNetwork(offlineSince)) break;
    m_downloadStartTick = GetTickCount();
  }
  if (partial) partial->close();
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

// The bytes go to a folder made and checked like the package's, under a fixed
// name so that the next run finds them: an unfinished download goes on there
// from where it stopped. Without such a folder they stay in the package's
// folder, for this run only.
std::unique_ptr<PartialFile> CAppModel::_openPartial(const std::wstring& packagePath) {
  std::vector<std::wstring> parents = {options_.keptDownloadParent};
  if (parents.front().empty())
    parents = {utility::ufile::localTempFolder(), utility::ufile::systemTempFolder()};
  for (const std::wstring& parent : parents) {
    if (parent.empty() || !keptFolder_.openKept(parent, kKeptDownloadFolder)) continue;
    keptFolder_.noteFile(kKeptBytesName);
    keptFolder_.noteFile(kKeptRecordName);
    auto partial = std::make_unique<PartialFile>(keptFolder_.path() + kKeptBytesName,
                                                 keptFolder_.path() + kKeptRecordName);
    partial->takeUp();
    return partial;
  }
  LOG(L"the download is not kept beyond this run");
  return std::make_unique<PartialFile>(packagePath + L".tmp");
}

void CAppModel::_leaveSource(PartialFile& partial) {
  partial.keep();
  postToWindow([this] {
    if (callbacks_.sourceFailed) callbacks_.sourceFailed();
  });
}

bool CAppModel::_takeDownloaded(PartialFile& partial, const std::wstring& packagePath,
                                uint64_t minBytes) {
  partial.close();
  bool moved = utility::ufile::moveFile(partial.path(), packagePath,
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
  // The bytes have moved on (or, unmovable, are of no use): the next source
  // starts anew.
  partial.finish();
  if (!moved) return false;
  if (minBytes > 0 && fileSize(packagePath) <= minBytes) {
    utility::ufile::removeFile(packagePath);
    return false;
  }
  return true;
}

bool CAppModel::_waitForNetwork(DWORD since) {
  const DownloadLimits& limits = options_.downloadLimits;
  LOG(L"no source could be reached: waiting for the network");
  for (;;) {
    DWORD waited = GetTickCount() - since;
    if (waited >= limits.networkWaitMs) {
      LOG(L"the network did not come back");
      return false;
    }
    onReconnecting();
    Sleep(std::min(limits.maxBackoffMs, limits.networkWaitMs - waited));
    // A host that answers at all is enough: the sources say the rest.
    for (const std::wstring& url : {m_url, m_spareUrl}) {
      if (hostAnswers(url, std::min(limits.stallMs, limits.maxBackoffMs))) {
        LOG(L"the network is back");
        return true;
      }
    }
  }
}

void CAppModel::onReconnecting() {
  postToWindow([this] {
    if (callbacks_.reconnecting) callbacks_.reconnecting();
  });
}

// One libcurl source: accepted above 10 MiB and with the publisher's signature.
// A refused file is deleted, also after the last source, and so are error
// pages and bodies cut short: libcurl writes them too, and none must stay
// behind under the package's name.
CAppModel::CurlSource CAppModel::_downloadByCurl(const std::wstring& packagePath,
                                                 const std::wstring& url, PartialFile& partial) {
  auto percent = [this](int value) {
    postToWindow([this, value] {
      if (callbacks_.percent) callbacks_.percent(value);
    });
  };
  SourceEnd end = CCurlDownloader::downloadFile(partial, utility::wideToAnsi(url), percent,
                                                options_.downloadLimits, [this] { onReconnecting(); });
  if (end != SourceEnd::done) {
    _leaveSource(partial);
    return end == SourceEnd::offline ? CurlSource::offline : CurlSource::failed;
  }
  CurlSource source = CurlSource::tooSmall;
  if (_takeDownloaded(partial, packagePath, model_rules::kMinCurlPackageBytes))
    source = _acceptPackage(packagePath) ? CurlSource::accepted : CurlSource::refused;
  if (source != CurlSource::accepted) _leaveSource(partial);
  return source;
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

SourceEnd CAppModel::_downloadByNet(const std::wstring& packagePath, PartialFile& partial) {
  m_lastProgressTick = 0;
  LOG(L"start. url: %s", m_url.c_str());
  config_->useSpareUrl = false;
  config_->useIe = true;
  SourceEnd primary = _downloadByNetFrom(m_url, partial, packagePath);
  if (primary != SourceEnd::done) {
    LOG(L"download errro! .use spare url");
    m_netDownloader.stop();
    config_->useSpareUrl = true;
    SourceEnd spare = _downloadByNetFrom(m_spareUrl, partial, packagePath);
    if (spare != SourceEnd::done) {
      LOG(L"download file error %s", packagePath.c_str());
      bool offline = primary == SourceEnd::offline && spare == SourceEnd::offline;
      return offline ? SourceEnd::offline : SourceEnd::failed;
    }
  }
  LOG(L"download file success file = %s", packagePath.c_str());
  return SourceEnd::done;
}

// The move comes before the check, so that the file checked is the one under
// the package's name. A move that fails is the source's failure: an older file
// of that name was never checked.
SourceEnd CAppModel::_downloadByNetFrom(const std::wstring& url, PartialFile& partial,
                                        const std::wstring& packagePath) {
  SourceEnd end = m_netDownloader.download(url, partial, this);
  if (end == SourceEnd::done)
    end = _takeDownloaded(partial, packagePath, 0) && _acceptPackage(packagePath)
              ? SourceEnd::done
              : SourceEnd::failed;
  if (end != SourceEnd::done) _leaveSource(partial);
  return end;
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
