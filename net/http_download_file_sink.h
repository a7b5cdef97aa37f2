// The client sink of CHttpDownloader: writes a 2xx body into a file and reports
// each piece to the download sink. Lives on the downloading thread's stack.
#pragma once
#include <string>

#include "net/http_downloader.h"
#include "utility/file_handle.h"

namespace utility {

class CHttpDownload2FileSink : public CHttpClient::IHttpClientSink {
 public:
  // `cancelSource` (may be null) is polled before every piece; `progress` may be null.
  CHttpDownload2FileSink(const std::wstring& path, const TThread* cancelSource,
                         CHttpDownloader::IHttpDownloadSink* progress);

  void onHttpError(int step, int error) override;
  // Refuses a status outside 200..299; otherwise creates the file.
  bool onHttpRecvHeader(int contentLength, int status) override;
  bool onHttpRecvData(const char* data, int count) override;
  // Closes the file; harmless when repeated.
  void onHttpComplete() override;

 private:
  FileHandle file_;
  std::wstring path_;
  const TThread* cancelSource_;
  CHttpDownloader::IHttpDownloadSink* progress_;
  int received_ = 0;
  int expected_ = 0;
};

}  // namespace utility
