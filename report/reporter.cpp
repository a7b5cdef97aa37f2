#include "report/reporter.h"

#include "net/curl_downloader.h"
#include "utility/log.h"
#include "utility/text.h"
#include "vorlane_hosts.h"

std::string ReporterOptions::defaultUrl() {
  return utility::wideToAnsi(hosts::kReport) + "/collection/biz/upload";
}

CReporter& CReporter::instance() {
  // Never destroyed: download and install workers that outlive the message
  // loop may still queue events while the process ends.
  static CReporter* reporter = new CReporter();
  return *reporter;
}

void waitForReportCycle(HANDLE wake, DWORD cycleMs, const std::atomic<bool>& quit) {
  if (wake) {
    WaitForSingleObject(wake, cycleMs);
    return;
  }
  constexpr DWORD kStepMs = 50;
  const DWORD start = GetTickCount();
  for (DWORD spent = 0; spent < cycleMs && !quit; spent = GetTickCount() - start)
    Sleep(cycleMs - spent < kStepMs ? cycleMs - spent : kStepMs);
}

CReporter::CReporter(ReporterOptions options) : options_(std::move(options)) {
  InitializeCriticalSection(&lock_);
}

CReporter::~CReporter() {
  // A worker left running would wait on a dead object; the program stops it in
  // shutdown(), so this only acts for a reporter that was never shut down.
  if (worker_.isRunning()) shutdown();
  worker_.stop(0);
  if (wakeEvent_) CloseHandle(wakeEvent_);
  DeleteCriticalSection(&lock_);
}

void CReporter::init(const std::wstring& openid, const std::wstring& deviceId,
                     const std::wstring& language) {
  identity_ = {openid, deviceId, language};
  if (!wakeEvent_) wakeEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  Runable* worker = new MemberFuncRunable<CReporter>(this, &CReporter::_threadReport);
  if (!worker_.start(worker)) Runable::release(worker);  // already started
}

void CReporter::addEvent(const wchar_t* eventName, ReportFill fill) {
  if (dropEvents_ && dropEvents_()) {
    LOG(L"player 4 32. not report!");
    return;
  }
  ReportEvent event{eventName ? eventName : L"", reportEventTimeMs(), std::move(fill)};
  EnterCriticalSection(&lock_);
  events_.push_back(std::move(event));
  LeaveCriticalSection(&lock_);
}

void CReporter::notify() {
  if (wakeEvent_) SetEvent(wakeEvent_);
}

void CReporter::shutdown() {
  quit_ = true;
  notify();
  worker_.stop(kShutdownLimitMs);
}

void CReporter::_threadReport() {
  if (quit_) return;
  do {
    LOG(L"waitfor event");
    // A signal and the end of the cycle are treated alike.
    waitForReportCycle(wakeEvent_, options_.cycleMs, quit_);
    LOG(L"event comming");
    int count = 0;
    const std::string body = _takeBatch(count);
    if (body.size() <= 5) {
      LOG(L"no body");
      continue;
    }
    std::vector<std::string> headers;
    if (!signReportBatch(reportRequestTimeMs(), count, headers)) {
      LOG(L"md5 calc error!!");
      continue;  // the batch is lost
    }
    LOG(L"%s", utility::ansiToWide(body).c_str());
    LOG(L"post report quest");
    const std::string response = _postBatch(body, headers);
    LOG(L"report ret:%s", utility::ansiToWide(response).c_str());
  } while (!quit_);
}

std::string CReporter::_takeBatch(int& count) {
  // Only the list is locked: the batch is built, signed and posted without it.
  std::list<ReportEvent> batch;
  EnterCriticalSection(&lock_);
  batch.splice(batch.end(), events_);
  LeaveCriticalSection(&lock_);
  count = (int)batch.size();
  return buildReportBody(batch, identity_);
}

std::string CReporter::_postBatch(const std::string& body,
                                  const std::vector<std::string>& headers) {
  std::string response;
  if (!CCurlDownloader::postRequest(options_.url, body, headers, response)) {
    Sleep(kRetryDelayMs);
    CCurlDownloader::postRequest(options_.url, body, headers, response);
  }
  return response;
}
