// Blocking download of one URL into one file through WinINet, with a cancel
// request. Driven by one thread (the package download worker); stop() may also
// come from another thread to break a running download.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "net/download_limits.h"
#include "net/http_client.h"
#include "net/partial_file.h"
#include "net/resumable_download.h"
#include "utility/tthread.h"

namespace utility {

class CHttpDownloader : public CHttpClient {
 public:
  // Told of every piece written, on the downloading thread.
  class IHttpDownloadSink {
   public:
    virtual ~IHttpDownloadSink() = default;
    // `data`/`count`: this piece; `received`: bytes so far (counting those a
    // resume found in the file); `expected`: the whole length, or 10 MiB when
    // none was announced. False aborts the download.
    virtual bool onProgress(const char* data, int count, int received, int expected) = 0;
    // Told before each wait for the connection to come back.
    virtual void onReconnecting() {}
  };

  CHttpDownloader() { setLimits({}); }

  // The stall limit and the waits of later downloads (owner thread).
  void setLimits(const DownloadLimits& limits);

  // Writes the body of `url` into `path`, made (or emptied) when the first 2xx
  // answer comes. True only when the whole body was written. A request that
  // fails is made again, from the bytes there when the server allows
  // (resume_rules), until the source goes the limits' time without progress
  // (resumable_download.h). A failure leaves whatever was written; `sink`
  // (not owned) may be null.
  bool download(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* sink);
  // The same as one source of a download into `file`, which may hold bytes of
  // this address already (of this run or, kept, of an earlier one): they are
  // gone on from.
  SourceEnd download(const std::wstring& url, PartialFile& file, IHttpDownloadSink* sink);

  // Sets the cancel request, closes the internet handle (breaking a blocking call
  // on the downloading thread), ends a running download's wait for its next
  // request, and clears the request again for the next download.
  void stop();

 private:
  // Waits `milliseconds` unless stop() comes after `stopsAtStart`; false then.
  bool waitUnlessStopped(DWORD milliseconds, unsigned stopsAtStart);

  TThread cancel_;  // never started: only its stop flag is used, as the cancel request
  DownloadLimits limits_;
  // Counts stop() calls, so that a download sees one that came after it began
  // even once the cancel request has been cleared again.
  std::atomic<unsigned> stops_{0};
  std::mutex stopMutex_;
  std::condition_variable stopped_;
};

}  // namespace utility
