#include "net/http_downloader.h"

#include "net/http_download_file_sink.h"

namespace utility {

namespace {
const wchar_t kDownloadHeaders[] = L"Content-Type: application/x-www-form-urlencoded";
const DWORD kStopWaitMs = 2000;
}  // namespace

bool CHttpDownloader::download(const std::wstring& url, const std::wstring& path,
                               IHttpDownloadSink* sink) {
  closeInternet();
  CHttpDownload2FileSink fileSink(path, &cancel_, sink);
  bool ok = open(url, kDownloadHeaders, &fileSink) && request();
  closeInternet();
  fileSink.onHttpComplete();  // closes the file on every path
  return ok;
}

void CHttpDownloader::stop() {
  cancel_.signal();
  closeInternet();
  cancel_.stop(kStopWaitMs);  // no thread to wait for: this only clears the request
}

}  // namespace utility
