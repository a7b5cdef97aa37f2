#include "net/http_download_file_sink.h"

#include <cstdint>

#include "utility/log.h"

namespace utility {

namespace {

int clampedCount(int64_t bytes) { return bytes > INT32_MAX ? INT32_MAX : static_cast<int>(bytes); }

}  // namespace

CHttpDownload2FileSink::CHttpDownload2FileSink(const std::wstring& path,
                                               const TThread* cancelSource,
                                               CHttpDownloader::IHttpDownloadSink* progress)
    : path_(path), cancelSource_(cancelSource), progress_(progress) {}

bool CHttpDownload2FileSink::refuse(resume_rules::AttemptEnd end) {
  end_ = end;
  return false;
}

void CHttpDownload2FileSink::onHttpError(int step, int error) {
  LOG(L"onHttpErro %d, %d", step, error);
}

bool CHttpDownload2FileSink::onHttpRecvHead(const HttpAnswerHead& head) {
  using resume_rules::Answer;
  using resume_rules::AttemptEnd;
  switch (resume_rules::acceptAnswer(point_, head)) {
    case Answer::whole:
      return onHttpRecvHeader(static_cast<int>(head.contentLength), head.status) ||
             refuse(AttemptEnd::failed);
    case Answer::append:
      // The percentages go on from the bytes already there.
      received_ = clampedCount(point_.bytes);
      expected_ = clampedCount(point_.total);
      return file_.isOpen() || refuse(AttemptEnd::failed);
    case Answer::restart:
      LOG(L"onHttpErro not the rest, status = %d", head.status);
      return refuse(AttemptEnd::restart);
    case Answer::refused:
      break;
  }
  LOG(L"onHttpErro status = %d", head.status);
  return refuse(AttemptEnd::failed);
}

bool CHttpDownload2FileSink::onHttpRecvHeader(int contentLength, int status) {
  if (status < 200 || status >= 300) {
    LOG(L"onHttpErro status = %d", status);
    return false;
  }
  expected_ = contentLength > 0 ? contentLength : kUnknownLengthExpected;
  received_ = 0;
  // A whole file after a broken request of the same download starts the file anew.
  if (file_.isOpen()) return file_.truncate();
  if (!file_.create(path_)) {
    LOG(L"onHttpErro create file error  %d", static_cast<int>(GetLastError()));
    return false;
  }
  return true;
}

bool CHttpDownload2FileSink::onHttpRecvData(const char* data, int count) {
  using resume_rules::AttemptEnd;
  if (cancelSource_ && cancelSource_->isStopping()) return refuse(AttemptEnd::failed);
  // Added without sign so that a body past 2 GiB wraps instead of overflowing.
  received_ = static_cast<int>(static_cast<uint32_t>(received_) + static_cast<uint32_t>(count));
  if (progress_ && !progress_->onProgress(data, count, received_, expected_))
    return refuse(AttemptEnd::failed);
  if (!file_.write(data, static_cast<uint32_t>(count))) return refuse(AttemptEnd::failed);
  point_.bytes += count;
  return true;
}

void CHttpDownload2FileSink::onHttpComplete() { file_.close(); }

}  // namespace utility
