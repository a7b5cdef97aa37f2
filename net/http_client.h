// One HTTP GET through WinINet (system proxy and connection settings), with all
// that happens handed to a sink. Used by one thread at a time, except that
// closeInternet may come from another thread to break a blocking transfer.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <string>

#include "net/download_limits.h"
#include "net/http_answer_head.h"

namespace utility {

class CHttpClient {
 public:
  // Step codes passed to IHttpClientSink::onHttpError.
  enum Step {
    kStepOpenInternet = 0,  // InternetOpenW
    kStepCrackUrl = 1,      // InternetCrackUrlW
    kStepConnect = 2,       // InternetConnectW
    kStepSendRequest = 6,   // HttpOpenRequestW, HttpSendRequestW
    kStepQueryStatus = 7,   // HttpQueryInfoW for the status code
  };

  // Receives one request's events on the requesting thread.
  class IHttpClientSink {
   public:
    virtual ~IHttpClientSink() = default;
    // A step failed with the system error code `error`; the request is over.
    virtual void onHttpError(int step, int error) = 0;
    // The response head: content length (-1 when none) and status. True reads the body.
    virtual bool onHttpRecvHeader(int contentLength, int status) = 0;
    // The whole response head, which the client hands over; a sink that needs
    // only the length and the status leaves this to call onHttpRecvHeader.
    virtual bool onHttpRecvHead(const HttpAnswerHead& head) {
      return onHttpRecvHeader(static_cast<int>(head.contentLength), head.status);
    }
    // One piece of the body; true goes on.
    virtual bool onHttpRecvData(const char* data, int count) = 0;
    // The body ended.
    virtual void onHttpComplete() = 0;
  };

  CHttpClient() = default;
  virtual ~CHttpClient();
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  // Opens the internet handle and splits `url`; no network traffic yet. `headers`
  // are sent with the request. `sink` (not owned, may be null) gets the events.
  bool open(const std::wstring& url, const std::wstring& headers, IHttpClientSink* sink);
  // Sends the GET and reads the whole body into the sink; blocks until the body has
  // ended (true) or a step, a read or the sink has stopped it (false). Follows up
  // to kMaxDownloadRedirects redirects, never from https to http; the status
  // after them decides.
  bool request();
  // Closes the internet handle if one is open; safe from any thread.
  void closeInternet();
  // How long later requests may take to connect, and then wait for the next
  // bytes of the answer, before they fail; 0 leaves WinINet's own settings.
  void setTimeouts(DWORD milliseconds) { timeoutMs_ = milliseconds; }

  const std::wstring& host() const { return host_; }
  INTERNET_PORT port() const { return port_; }
  const std::wstring& path() const { return path_; }
  bool secure() const { return secure_; }

 private:
  void reportError(int step);
  // Host, port, path and the secure flag of `url`; false when it cannot be split.
  bool splitUrl(const std::wstring& url);
  bool followRedirect(HINTERNET request);
  bool readBody(HINTERNET request, int contentLength);

  std::atomic<HINTERNET> internet_{nullptr};
  std::wstring url_;  // the address asked now: the given one, or a redirect's target
  std::wstring host_;
  INTERNET_PORT port_ = 0;
  std::wstring path_;
  std::wstring headers_;
  bool secure_ = false;
  DWORD timeoutMs_ = 0;
  IHttpClientSink* sink_ = nullptr;
};

}  // namespace utility
