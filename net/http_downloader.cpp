#include "net/http_downloader.h"

#include <chrono>

#include "net/http_download_file_sink.h"
#include "net/resumable_download.h"
#include "utility/text.h"

namespace utility {

namespace {
const wchar_t kDownloadHeaders[] = L"Content-Type: application/x-www-form-urlencoded";
const DWORD kStopWaitMs = 2000;
}  // namespace

void CHttpDownloader::setLimits(const DownloadLimits& limits) {
  limits_ = limits;
  setTimeouts(limits.stallMs);
}

bool CHttpDownloader::download(const std::wstring& url, const std::wstring& path,
                               IHttpDownloadSink* sink) {
  PartialFile file(path);
  bool ok = download(url, file, sink) == SourceEnd::done;
  file.close();
  return ok;
}

SourceEnd CHttpDownloader::download(const std::wstring& url, PartialFile& file,
                                    IHttpDownloadSink* sink) {
  using resume_rules::AttemptEnd;
  closeInternet();
  const unsigned stopsAtStart = stops_.load();
  file.beginSource(wideToUtf8(url));
  CHttpDownload2FileSink fileSink(file, &cancel_, sink);
  SourceSteps steps;
  steps.attempt = [&] {
    std::wstring headers = kDownloadHeaders;
    for (const auto& line : resume_rules::nextRequestLines(fileSink.point()))
      headers += L"\r\n" + utf8ToWide(line);
    fileSink.beginAttempt();
    // Checked after the handle exists: a stop() from now on closes it.
    bool answered = open(url, headers, &fileSink) && stops_.load() == stopsAtStart && request();
    closeInternet();
    // A clean end short of a known length is a break, not the file.
    return answered ? resume_rules::endOfCleanAnswer(fileSink.point()) : fileSink.attemptEnd();
  };
  steps.wait = [&](DWORD waitMs) { return waitUnlessStopped(waitMs, stopsAtStart); };
  steps.reconnecting = [sink] {
    if (sink) sink->onReconnecting();
  };
  SourceEnd end = runResumableDownload(limits_, fileSink.point(), steps);
  closeInternet();
  return end;
}

bool CHttpDownloader::waitUnlessStopped(DWORD milliseconds, unsigned stopsAtStart) {
  std::unique_lock<std::mutex> lock(stopMutex_);
  return !stopped_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [&] { return stops_.load() != stopsAtStart; });
}

void CHttpDownloader::stop() {
  stops_.fetch_add(1);
  {
    // Taken so that a waiter between its check and its sleep cannot miss the wake-up.
    std::lock_guard<std::mutex> lock(stopMutex_);
  }
  stopped_.notify_all();
  cancel_.signal();
  closeInternet();
  cancel_.stop(kStopWaitMs);  // no thread to wait for: this only clears the request
}

}  // namespace utility
