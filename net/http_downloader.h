// Blocking download of one URL into one file through WinINet, with a cancel
// request. Driven by one thread (the package download worker); stop() may also
// come from another thread to break a running download.
#pragma once
#include <string>

#include "net/http_client.h"
#include "net/download_limits.h"
#include "utility/tthread.h"

namespace utility {

class CHttpDownloader : public CHttpClient {
 public:
  // Told of every piece written, on the downloading thread.
  class IHttpDownloadSink {
   public:
    virtual ~IHttpDownloadSink() = default;
    // `data`/`count`: this piece; `received`: bytes so far; `expected`: the announced
    // length, or 10 MiB when none was announced. False aborts the download.
    virtual bool onProgress(const char* data, int count, int received, int expected) = 0;
  };

  // A server that sends nothing for the stall limit fails the download.
  CHttpDownloader() { setReceiveTimeout(kDownloadStallLimitMs); }

  // Creates or empties `path` and writes the body of `url` into it. True only when
  // the status was 2xx and the whole body was written. A failure leaves whatever
  // was written; `sink` (not owned) may be null.
  bool download(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* sink);

  // Sets the cancel request, closes the internet handle (breaking a blocking call
  // on the downloading thread) and clears the request again for the next download.
  void stop();

 private:
  TThread cancel_;  // never started: only its stop flag is used, as the cancel request
};

}  // namespace utility
