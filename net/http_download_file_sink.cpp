#include "net/http_download_file_sink.h"

#include <cstdint>

#include "utility/log.h"

namespace utility {

namespace {

int clampedCount(int64_t bytes) { return bytes > INT32_MAX ? INT32_MAX : static_cast<int>(bytes); }

}  // namespace

CHttpDownload2FileSink::CHttpDownload2FileSink(PartialFile& file, const TThread* cancelSource,
                                               CHttpDownloader::IHttpDownloadSink* progress)
    : file_(file), cancelSource_(cancelSource), progress_(progress) {}

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
  if (head.status == 407) {
    LOG(L"onHttpErro status = %d", head.status);
    return refuse(AttemptEnd::failed);
  }
  // What would start the file anew is checked first: an error page never
  // replaces bytes that are there.
  if (point().askedFrom == 0 || head.status == 200) {
    wholeHead_ = &head;
    bool started = onHttpRecvHeader(static_cast<int>(head.contentLength), head.status);
    wholeHead_ = nullptr;
    return started || refuse(AttemptEnd::failed);
  }
  Answer answer = Answer::restart;
  if (!file_.accept(head, answer)) return refuse(AttemptEnd::failed);
  switch (answer) {
    case Answer::append:
      // The percentages go on from the bytes already there.
      received_ = clampedCount(point().bytes);
      expected_ = clampedCount(point().total);
      return true;
    case Answer::complete:
      // Nothing was missing: the body, an error page, is not read.
      return refuse(AttemptEnd::done);
    case Answer::restart:
      LOG(L"onHttpErro not the rest, status = %d", head.status);
      return refuse(AttemptEnd::restart);
    default:
      return refuse(AttemptEnd::failed);
  }
}

bool CHttpDownload2FileSink::onHttpRecvHeader(int contentLength, int status) {
  if (status < 200 || status >= 300) {
    LOG(L"onHttpErro status = %d", status);
    return false;
  }
  // Without the whole head (a bare length and status) the file has no validator.
  HttpAnswerHead bare;
  bare.status = status;
  bare.contentLength = contentLength;
  resume_rules::Answer answer = resume_rules::Answer::whole;
  if (!file_.accept(wholeHead_ ? *wholeHead_ : bare, answer)) {
    LOG(L"onHttpErro create file error  %d", static_cast<int>(GetLastError()));
    return false;
  }
  expected_ = contentLength > 0 ? contentLength : kUnknownLengthExpected;
  received_ = 0;
  return true;
}

bool CHttpDownload2FileSink::onHttpRecvData(const char* data, int count) {
  using resume_rules::AttemptEnd;
  if (cancelSource_ && cancelSource_->isStopping()) return refuse(AttemptEnd::failed);
  // Added without sign so that a body past 2 GiB wraps instead of overflowing.
  received_ = static_cast<int>(static_cast<uint32_t>(received_) + static_cast<uint32_t>(count));
  if (progress_ && !progress_->onProgress(data, count, received_, expected_))
    return refuse(AttemptEnd::failed);
  if (!file_.append(data, static_cast<uint32_t>(count))) return refuse(AttemptEnd::failed);
  return true;
}

}  // namespace utility
