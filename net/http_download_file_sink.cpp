#include "net/http_download_file_sink.h"

#include <cstdint>

#include "utility/log.h"

namespace utility {

CHttpDownload2FileSink::CHttpDownload2FileSink(const std::wstring& path,
                                               const TThread* cancelSource,
                                               CHttpDownloader::IHttpDownloadSink* progress)
    : path_(path), cancelSource_(cancelSource), progress_(progress) {}

void CHttpDownload2FileSink::onHttpError(int step, int error) {
  file_.close();
  LOG(L"onHttpErro %d, %d", step, error);
}

bool CHttpDownload2FileSink::onHttpRecvHeader(int contentLength, int status) {
  if (status < 200 || status >= 300) {
    LOG(L"onHttpErro status = %d", status);
    return false;
  }
  expected_ = contentLength > 0 ? contentLength : kUnknownLengthExpected;
  received_ = 0;
  if (!file_.create(path_)) {
    LOG(L"onHttpErro create file error  %d", static_cast<int>(GetLastError()));
    return false;
  }
  return true;
}

bool CHttpDownload2FileSink::onHttpRecvData(const char* data, int count) {
  if (cancelSource_ && cancelSource_->isStopping()) return false;
  // Added without sign so that a body past 2 GiB wraps instead of overflowing.
  received_ = static_cast<int>(static_cast<uint32_t>(received_) + static_cast<uint32_t>(count));
  if (progress_ && !progress_->onProgress(data, count, received_, expected_)) return false;
  return file_.write(data, static_cast<uint32_t>(count));
}

void CHttpDownload2FileSink::onHttpComplete() { file_.close(); }

}  // namespace utility
