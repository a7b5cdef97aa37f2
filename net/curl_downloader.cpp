#include "net/curl_downloader.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "net/curl_global.h"
#include "net/curl_rules.h"
#include "net/download_limits.h"
#include "net/proxy_rules.h"
#include "net/resumable_download.h"
#include "net/system_proxy.h"
#include "utility/callback_guard.h"
#include "utility/log.h"
#include "utility/number_text.h"
#include "utility/text.h"

namespace {

using resume_rules::Answer;
using resume_rules::AttemptEnd;

const curl_off_t kMaxReceiveBytesPerSecond = 20971520;  // 20 MiB/s
const long kPostConnectTimeoutMs = 8000;
const char kJsonContentType[] = "Content-Type:application/json;charset=UTF-8";

struct ProgressState {
  DWORD lastTick = 0;
  CurlProgressFunc progress;
  // The bytes in the file before the running answer's body, so that the
  // percentage counts what a resume already has; -1 until the answer is known.
  int64_t base = -1;
};

// One request of a download, on the downloading thread's stack.
struct Attempt {
  CURL* handle;
  PartialFile& file;
  ProgressState& progress;
  bool decided = false;
  bool writable = false;  // the file took the answer
  Answer answer = Answer::whole;
};

struct MemoryChunk {
  char* data = nullptr;
  uint32_t size = 0;
};

// Options both kinds of transfer share: follow redirects (never from https
// to http), no certificate checks, a fresh connection each time, no signals.
void setTransportOptions(CURL* handle, const std::string& url) {
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR,
                   proxy_rules::isSecureUrl(url) ? "https" : "http,https");
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
}

// One way to the host: a proxy of the system's settings, or none. Both texts
// are set, even when empty: an unset one makes libcurl read the environment.
// A proxy's challenge is answered only by the system's security packages
// with the logged-on user's own credentials (the empty login), never with a
// name and password of ours.
void setProxyRoute(CURL* handle, const curl_rules::ProxyRoute& route) {
  curl_easy_setopt(handle, CURLOPT_PROXY, route.proxy.c_str());
  curl_easy_setopt(handle, CURLOPT_NOPROXY, route.noProxy.c_str());
  curl_easy_setopt(handle, CURLOPT_PROXYAUTH, route.auth);
  curl_easy_setopt(handle, CURLOPT_PROXYUSERPWD, route.login);
}

// Performs the transfer set up on `handle` through the system's ways to
// `url`'s host, in their order: a proxy that cannot be reached gives way to
// the next (a script's "PROXY a; PROXY b; DIRECT").
CURLcode performThroughProxies(CURL* handle, const std::string& url) {
  CurlProxySettings settings = systemProxyFor(url);
  CURLcode code = CURLE_OK;
  for (size_t i = 0; i < settings.routes.size(); ++i) {
    const std::string& proxy = settings.routes[i];
    setProxyRoute(handle, curl_rules::proxyRoute(proxy, settings.noProxy));
    code = curl_easy_perform(handle);
    if (proxy.empty() || i + 1 == settings.routes.size() || !curl_rules::proxyNotReached(code))
      break;
    LOG(L"proxy not reached, the next way: %s", utility::ansiToWide(proxy).c_str());
    proxyUnreachable(url, proxy);
  }
  return code;
}

// libcurl counts the stall limit in whole seconds, at least one.
long stallSeconds(DWORD stallLimitMs) {
  return stallLimitMs < 1000 ? 1L : static_cast<long>((stallLimitMs + 999) / 1000);
}

std::wstring curlErrorText(CURLcode code) { return utility::ansiToWide(curl_easy_strerror(code)); }

// `first` (may be null), then each line; null when a line cannot be added.
curl_slist* appendLines(curl_slist* first, const std::vector<std::string>& lines) {
  curl_slist* list = first;
  for (const auto& line : lines) {
    curl_slist* longer = curl_slist_append(list, line.c_str());
    if (!longer) {  // a failed append leaves the list to us
      curl_slist_free_all(list);
      return nullptr;
    }
    list = longer;
  }
  return list;
}

// The content-type line, then the caller's lines; null when a line cannot be added.
curl_slist* buildHeaderList(const CurlHeaderList& headers) {
  curl_slist* list = curl_slist_append(nullptr, kJsonContentType);
  return list ? appendLines(list, headers) : nullptr;
}

std::string headerValue(CURL* handle, const char* name) {
  curl_header* header = nullptr;
  if (curl_easy_header(handle, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header ||
      !header->value)
    return {};
  return header->value;
}

long responseCode(CURL* handle, CURLINFO what) {
  long code = 0;
  curl_easy_getinfo(handle, what, &code);
  return code;
}

// The head of the answer being received (the last one after redirects).
HttpAnswerHead answerHead(CURL* handle) {
  HttpAnswerHead head;
  head.status = static_cast<int>(responseCode(handle, CURLINFO_RESPONSE_CODE));
  curl_off_t length = -1;
  curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  head.contentLength = length;
  head.contentRange = headerValue(handle, "Content-Range");
  head.etag = headerValue(handle, "ETag");
  head.lastModified = headerValue(handle, "Last-Modified");
  head.acceptRanges = headerValue(handle, "Accept-Ranges");
  return head;
}

// What the answer's body is, decided once, as it starts; true when it is to
// be written (from byte 0 for a whole file, else after what is there).
bool bodyWanted(Attempt& attempt) {
  if (!attempt.decided) {
    attempt.decided = true;
    attempt.writable = attempt.file.accept(answerHead(attempt.handle), attempt.answer);
    attempt.progress.base = attempt.file.point().bytes;
  }
  return attempt.writable && (attempt.answer == Answer::whole || attempt.answer == Answer::append);
}

}  // namespace

// Outside the anonymous namespace so that the log shows the bare function names.

// libcurl's callbacks run inside its C code: no exception may leave them
// (utility/callback_guard.h). A write that cannot happen ends the transfer.
static size_t WriteFileCallback(char* buffer, size_t size, size_t count, void* attemptPtr) {
  return utility::guarded<size_t>("WriteFileCallback", 0, [&]() -> size_t {
    auto* attempt = static_cast<Attempt*>(attemptPtr);
    size_t total = size * count;
    if (!bodyWanted(*attempt) || !attempt->file.append(buffer, static_cast<uint32_t>(total)))
      return 0;  // libcurl ends the transfer with a write error
    return total;
  });
}

static size_t WriteMemoryCallbackPost(char* bytes, size_t size, size_t count, void* chunkPtr) {
  auto* chunk = static_cast<MemoryChunk*>(chunkPtr);
  size_t n = size * count;
  if (n == 0) return 0;
  void* grown = realloc(chunk->data, curl_rules::grownLength(chunk->size, n));
  if (!grown) {  // the old buffer stays with the chunk and is freed with it
    LOG(L"memory error %d", static_cast<int>(GetLastError()));
    return 0;
  }
  chunk->data = static_cast<char*>(grown);
  memcpy(chunk->data + chunk->size, bytes, n);
  chunk->size += static_cast<uint32_t>(n);
  return n;
}

static int ProgressCallback(void* statePtr, double downloadTotal, double downloadedNow, double,
                            double) {
  return utility::guarded<int>("ProgressCallback", 0, [&]() -> int {
    auto* state = static_cast<ProgressState*>(statePtr);
    if (state->base < 0) return 0;
    int percent = curl_rules::resumedProgressPercent(state->base, downloadTotal, downloadedNow);
    if (percent < 0) return 0;
    DWORD now = GetTickCount();
    if (!progressReportDue(now, state->lastTick)) return 0;
    state->lastTick = now;
    if (state->progress) state->progress(percent);
    return 0;  // a download is never cancelled from here
  });
}

namespace {

// One request of a download into `file` from where its point stands.
// `reason` receives the text of a failure.
AttemptEnd runAttempt(CURL* handle, PartialFile& file, const std::string& url,
                      ProgressState& state, DWORD stallMs, std::wstring& reason) {
  std::vector<std::string> lines = resume_rules::nextRequestLines(file.point());
  curl_slist* headers = appendLines(nullptr, lines);
  if (!lines.empty() && !headers) {
    reason = L"out of memory";
    return AttemptEnd::failed;
  }
  Attempt attempt{handle, file, state};
  state.base = -1;
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteFileCallback);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &attempt);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_MAX_RECV_SPEED_LARGE, kMaxReceiveBytesPerSecond);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(kMaxDownloadRedirects));
  // The connection (name, TCP, a proxy's tunnel, TLS) has the stall limit too,
  // not libcurl's own five minutes.
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(stallMs));
  // A server that stops sending must not hold the download for ever: less than
  // a byte a second over the whole stall limit ends it.
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds(stallMs));
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_PROGRESSDATA, &state);
  curl_easy_setopt(handle, CURLOPT_PROGRESSFUNCTION, &ProgressCallback);
  setTransportOptions(handle, url);

  CURLcode code = performThroughProxies(handle, url);
  if (code == CURLE_OK) bodyWanted(attempt);  // an answer without a body
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);

  if (responseCode(handle, CURLINFO_HTTP_CONNECTCODE) == 407 ||
      (attempt.decided && attempt.answer == Answer::refused)) {
    reason = L"proxy status 407";
    return AttemptEnd::failed;
  }
  if (attempt.decided && attempt.answer == Answer::restart) {
    reason = L"not the rest of the file, status " +
             utility::decimalText(responseCode(handle, CURLINFO_RESPONSE_CODE));
    return AttemptEnd::restart;
  }
  if (attempt.decided && attempt.answer == Answer::complete) return AttemptEnd::done;
  if (code == CURLE_OK) {
    // A clean end short of a known length is a break, not the file.
    AttemptEnd end = resume_rules::endOfCleanAnswer(file.point());
    if (end != AttemptEnd::done) reason = L"the answer ended before the whole file";
    return end;
  }
  reason = curlErrorText(code);
  return curl_rules::isBrokenTransfer(code) ? AttemptEnd::broken : AttemptEnd::failed;
}

}  // namespace

bool CCurlDownloader::downloadFile(const std::wstring& path, const std::string& url,
                                   CurlProgressFunc progress, const DownloadLimits& limits) {
  PartialFile file(path);
  bool ok = downloadFile(file, url, std::move(progress), limits) == SourceEnd::done;
  file.close();
  return ok;
}

SourceEnd CCurlDownloader::downloadFile(PartialFile& file, const std::string& url,
                                        CurlProgressFunc progress, const DownloadLimits& limits,
                                        const std::function<void()>& reconnecting) {
  LOG(L"downloadfile start");
  curl_global::TransferPlace place;
  CURL* handle = place ? curl_easy_init() : nullptr;
  if (!handle) {
    LOG(L"init error");
    return SourceEnd::failed;
  }
  if (!file.isOpen() && !file.create()) {
    LOG(L"open file error: %s. %d", file.path().c_str(), static_cast<int>(GetLastError()));
    curl_easy_cleanup(handle);
    return SourceEnd::failed;
  }
  file.beginSource(url);
  ProgressState state;
  state.progress = std::move(progress);
  std::wstring reason;
  SourceSteps steps;
  steps.attempt = [&] {
    AttemptEnd end = runAttempt(handle, file, url, state, limits.stallMs, reason);
    if (end != AttemptEnd::done) LOG(L"download error %s", reason.c_str());
    return end;
  };
  steps.wait = [](DWORD waitMs) {
    Sleep(waitMs);
    return true;
  };
  steps.reconnecting = reconnecting;
  SourceEnd end = runResumableDownload(limits, file.point(), steps);
  curl_easy_cleanup(handle);
  if (end != SourceEnd::done) {
    LOG(L"download file error %s", reason.c_str());
    return end;
  }
  LOG(L"download  file sucess");
  return end;
}

bool CCurlDownloader::postRequest(const std::string& url, const std::string& body,
                                  const CurlHeaderList& headers, std::string& response) {
  LOG(L"post start");
  curl_global::TransferPlace place;
  CURL* handle = place ? curl_easy_init() : nullptr;
  if (!handle) {
    LOG(L"init error");
    return false;
  }
  return postRequest(body, response, url, headers, handle);
}

bool CCurlDownloader::postRequest(const std::string& body, std::string& response,
                                  const std::string& url, const CurlHeaderList& headers,
                                  CURL* handle) {
  curl_global::TransferPlace place;
  curl_slist* headerList = place ? buildHeaderList(headers) : nullptr;
  if (!headerList) {
    LOG(L"init error");
    curl_easy_cleanup(handle);
    return false;
  }
  MemoryChunk chunk;
  // Lives until the transfer has ended: libcurl reads the body from it.
  const std::string utf8Body = utility::ansiToUtf8(body);

  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteMemoryCallbackPost);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &chunk);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList);
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, utf8Body.c_str());
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(utf8Body.size()));
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, kPostConnectTimeoutMs);
  setTransportOptions(handle, url);

  CURLcode code = performThroughProxies(handle, url);
  if (code != CURLE_OK) {
    LOG(L"download error %s", curlErrorText(code).c_str());
  } else {
    LOG(L"download sucess %d", static_cast<int>(chunk.size));
    response.assign(chunk.data ? chunk.data : "", chunk.size);
  }
  free(chunk.data);
  curl_easy_cleanup(handle);
  curl_slist_free_all(headerList);
  return code == CURLE_OK;
}
