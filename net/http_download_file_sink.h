// The client sink of CHttpDownloader: writes a 2xx body into a file and reports
// each piece to the download sink. One sink serves every request of one
// download: a resumed request appends to the file it keeps open. Lives on the
// downloading thread's stack.
#pragma once
#include <string>

#include "net/http_downloader.h"
#include "net/resume_rules.h"
#include "utility/file_handle.h"

namespace utility {

class CHttpDownload2FileSink : public CHttpClient::IHttpClientSink {
 public:
  // `cancelSource` (may be null) is polled before every piece; `progress` may be null.
  CHttpDownload2FileSink(const std::wstring& path, const TThread* cancelSource,
                         CHttpDownloader::IHttpDownloadSink* progress);

  // What the download has so far; the next request asks from here.
  resume_rules::ResumePoint& point() { return point_; }
  // Before each request: its end counts as a break until something says otherwise.
  void beginAttempt() { end_ = resume_rules::AttemptEnd::broken; }
  // How the last request ended when it did not complete.
  resume_rules::AttemptEnd attemptEnd() const { return end_; }

  // Logs; the file stays open for a resume (the downloader closes it).
  void onHttpError(int step, int error) override;
  // Sorts the answer out (resume_rules): the rest asked for is appended, a
  // whole file goes through onHttpRecvHeader, anything else stops the request.
  bool onHttpRecvHead(const HttpAnswerHead& head) override;
  // Refuses a status outside 200..299; otherwise creates (or empties) the file.
  bool onHttpRecvHeader(int contentLength, int status) override;
  bool onHttpRecvData(const char* data, int count) override;
  // Closes the file; harmless when repeated.
  void onHttpComplete() override;

 private:
  bool refuse(resume_rules::AttemptEnd end);

  FileHandle file_;
  std::wstring path_;
  const TThread* cancelSource_;
  CHttpDownloader::IHttpDownloadSink* progress_;
  int received_ = 0;
  int expected_ = 0;
  resume_rules::ResumePoint point_;
  resume_rules::AttemptEnd end_ = resume_rules::AttemptEnd::broken;
};

}  // namespace utility
