#include "net/http_client.h"

#include <cstdint>
#include <memory>

#include "net/proxy_rules.h"
#include "utility/text.h"

namespace utility {

namespace {

const DWORD kReadChunkBytes = 0x8000;  // 32 KiB
const DWORD kHostChars = 255;

// Reload, no cache write, pragma no-cache, accept wrong host names and dates,
// cache-async, and the value 1, which names nothing for HTTP and changes nothing.
// Reload and no cache write also keep WinINet's cache out of a resume: every
// range is asked of the server, and no partial body is ever stored.
const DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                            INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                            INTERNET_FLAG_IGNORE_CERT_CN_INVALID | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_CACHE_ASYNC | 0x1;
static_assert(kRequestFlags == 0x84003181);
// Redirects are followed here rather than by WinINet, which may follow a loop for ever.
const DWORD kNoAutoRedirect = INTERNET_FLAG_NO_AUTO_REDIRECT;

bool isRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A text from the response head, or empty when the head does not have it.
std::wstring queryText(HINTERNET request, DWORD what) {
  DWORD size = 0;
  HttpQueryInfoW(request, what, nullptr, &size, nullptr);
  if (size == 0) return {};
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (!HttpQueryInfoW(request, what, text.data(), &size, nullptr)) return {};
  text.resize(size / sizeof(wchar_t));
  return text;
}

// The head of the answer to `request`, its content length as the sink gets it.
HttpAnswerHead answerHead(HINTERNET request, int status, int contentLength) {
  HttpAnswerHead head;
  head.status = status;
  head.contentLength = contentLength;
  head.contentRange = utility::wideToUtf8(queryText(request, HTTP_QUERY_CONTENT_RANGE));
  head.etag = utility::wideToUtf8(queryText(request, HTTP_QUERY_ETAG));
  head.lastModified = utility::wideToUtf8(queryText(request, HTTP_QUERY_LAST_MODIFIED));
  head.acceptRanges = utility::wideToUtf8(queryText(request, HTTP_QUERY_ACCEPT_RANGES));
  return head;
}

// Test builds reach a loopback HTTPS host whose certificate is made at test
// time and signed by nobody Windows trusts; a shipped build never gets here.
void relaxCertificateChecksForTests([[maybe_unused]] HINTERNET request) {
#ifdef VORLANE_TEST_TLS_RELAXED
  DWORD flags = 0;
  DWORD size = sizeof(flags);
  InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
  flags |= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_REVOCATION;
  InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
#endif
}

bool isSecureUrl(const std::wstring& url) {
  return proxy_rules::isSecureUrl(utility::wideToUtf8(url));
}

// A number from the response head, or -1 when the head does not have it.
int queryNumber(HINTERNET request, DWORD what) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (!HttpQueryInfoW(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return -1;
  return static_cast<int>(value);
}

// Closes a WinINet handle when the scope ends.
struct InternetHandle {
  explicit InternetHandle(HINTERNET opened) : handle(opened) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() {
    if (handle) InternetCloseHandle(handle);
  }
  const HINTERNET handle;
};

}  // namespace

CHttpClient::~CHttpClient() { closeInternet(); }

void CHttpClient::reportError(int step) {
  int error = static_cast<int>(GetLastError());
  if (sink_) sink_->onHttpError(step, error);
}

bool CHttpClient::open(const std::wstring& url, const std::wstring& headers,
                       IHttpClientSink* sink) {
  closeInternet();  // a handle left from an earlier open is not leaked
  sink_ = sink;
  HINTERNET internet = InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!internet) {
    reportError(kStepOpenInternet);
    return false;
  }
  internet_ = internet;
  if (!splitUrl(url)) {
    reportError(kStepCrackUrl);
    return false;
  }
  headers_ = headers;
  return true;
}

bool CHttpClient::splitUrl(const std::wstring& url) {
  wchar_t host[kHostChars + 1] = {};
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = kHostChars + 1;
  parts.dwUrlPathLength = 1;  // asks for a pointer into the URL
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
  url_ = url;
  host_ = host;
  port_ = parts.nPort;
  // The path runs to the end of the URL: the query goes with it.
  path_ = parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath) : std::wstring();
  secure_ = isSecureUrl(url);
  return true;
}

// The redirect's target, relative to the address asked, becomes the address.
bool CHttpClient::followRedirect(HINTERNET request) {
  std::wstring location = queryText(request, HTTP_QUERY_LOCATION);
  if (location.empty()) return false;
  wchar_t target[INTERNET_MAX_URL_LENGTH] = {};
  DWORD length = INTERNET_MAX_URL_LENGTH;
  if (!InternetCombineUrlW(url_.c_str(), location.c_str(), target, &length, ICU_NO_ENCODE))
    return false;
  std::wstring next(target, length);
  // What came over TLS is not handed on to plain HTTP.
  if (secure_ && !isSecureUrl(next)) return false;
  return splitUrl(next);
}

bool CHttpClient::request() {
  for (int redirects = 0;; ++redirects) {
    InternetHandle connection{InternetConnectW(internet_.load(), host_.c_str(), port_, nullptr,
                                               nullptr, INTERNET_SERVICE_HTTP, 0, 1)};
    if (!connection.handle) {
      reportError(kStepConnect);
      return false;
    }
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    DWORD flags = kRequestFlags | kNoAutoRedirect | (secure_ ? INTERNET_FLAG_SECURE : 0);
    InternetHandle request{HttpOpenRequestW(connection.handle, L"GET", path_.c_str(), L"HTTP/1.1",
                                            nullptr, acceptTypes, flags, 1)};
    if (request.handle && secure_) relaxCertificateChecksForTests(request.handle);
    if (request.handle && timeoutMs_ != 0) {
      // Set on the request itself: not every WinINet passes them down from the
      // internet handle.
      DWORD timeout = timeoutMs_;
      for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionW(request.handle, option, &timeout, sizeof(timeout));
    }
    if (!request.handle || !HttpSendRequestW(request.handle, headers_.c_str(),
                                             static_cast<DWORD>(headers_.size()), nullptr, 0)) {
      reportError(kStepSendRequest);
      return false;
    }
    int status = queryNumber(request.handle, HTTP_QUERY_STATUS_CODE);
    if (status < 0) {
      reportError(kStepQueryStatus);
      return false;
    }
    // Past the limit, or without a usable target, the redirect is the answer.
    if (isRedirect(status) && redirects < kMaxDownloadRedirects && followRedirect(request.handle))
      continue;
    int contentLength = queryNumber(request.handle, HTTP_QUERY_CONTENT_LENGTH);
    if (sink_ && !sink_->onHttpRecvHead(answerHead(request.handle, status, contentLength)))
      return false;
    return readBody(request.handle, contentLength);
  }
}

bool CHttpClient::readBody(HINTERNET request, int contentLength) {
  auto buffer = std::make_unique<char[]>(kReadChunkBytes);
  int64_t received = 0;
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, buffer.get(), kReadChunkBytes, &got)) return false;
    if (got == 0) break;
    received += got;
    if (sink_ && !sink_->onHttpRecvData(buffer.get(), static_cast<int>(got))) return false;
  }
  // A connection that closes before the announced length is a broken body, not an end.
  if (contentLength >= 0 && received < contentLength) return false;
  if (sink_) sink_->onHttpComplete();
  return true;
}

void CHttpClient::closeInternet() {
  // Exchanged so that a close from another thread and the owner's close never both run.
  HINTERNET internet = internet_.exchange(nullptr);
  if (internet) InternetCloseHandle(internet);
}

}  // namespace utility
