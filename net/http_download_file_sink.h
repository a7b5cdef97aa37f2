// The client sink of CHttpDownloader: writes a 2xx body into a download's
// file and reports each piece to the download sink. One sink serves every
// request of one source: a resumed request appends to the file. Lives on the
// downloading thread's stack.
#pragma once
#include <string>

#include "net/http_downloader.h"
#include "net/partial_file.h"
#include "net/resume_rules.h"

namespace utility {

class CHttpDownload2FileSink : public CHttpClient::IHttpClientSink {
 public:
  // `cancelSource` (may be null) is polled before every piece; `progress` may be null.
  CHttpDownload2FileSink(PartialFile& file, const TThread* cancelSource,
                         CHttpDownloader::IHttpDownloadSink* progress);

  // What the source has so far; the next request asks from here.
  resume_rules::ResumePoint& point() { return file_.point(); }
  // Before each request: its end counts as a break until something says otherwise.
  void beginAttempt() { end_ = resume_rules::AttemptEnd::broken; }
  // How the last request ended when it did not complete.
  resume_rules::AttemptEnd attemptEnd() const { return end_; }

  // Logs; the file stays open for the next request (its owner closes it).
  void onHttpError(int step, int error) override;
  // Sorts the answer out (resume_rules): the rest asked for is appended, a
  // whole file goes through onHttpRecvHeader, anything else stops the request.
  bool onHttpRecvHead(const HttpAnswerHead& head) override;
  // Refuses a status outside 200..299; otherwise the file is made or emptied.
  bool onHttpRecvHeader(int contentLength, int status) override;
  bool onHttpRecvData(const char* data, int count) override;
  // The body ended: nothing to do, the file stays open for the next request.
  void onHttpComplete() override {}

 private:
  bool refuse(resume_rules::AttemptEnd end);

  PartialFile& file_;
  const TThread* cancelSource_;
  CHttpDownloader::IHttpDownloadSink* progress_;
  const HttpAnswerHead* wholeHead_ = nullptr;  // of a whole answer being taken
  int received_ = 0;
  int expected_ = 0;
  resume_rules::AttemptEnd end_ = resume_rules::AttemptEnd::broken;
};

}  // namespace utility
