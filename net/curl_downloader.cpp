#include "net/curl_downloader.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "net/curl_global.h"
#include "net/curl_rules.h"
#include "utility/log.h"
#include "utility/text.h"

namespace {

const curl_off_t kMaxReceiveBytesPerSecond = 20971520;  // 20 MiB/s
const long kPostConnectTimeoutMs = 8000;
const char kJsonContentType[] = "Content-Type:application/json;charset=UTF-8";

struct ProgressState {
  DWORD lastTick = 0;
  CurlProgressFunc progress;
};

struct MemoryChunk {
  char* data = nullptr;
  uint32_t size = 0;
};

// Options both kinds of transfer share: follow redirects, no certificate checks,
// a fresh connection each time, no signals.
void setTransportOptions(CURL* handle, const std::string& url) {
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
}

// libcurl counts the stall limit in whole seconds, at least one.
long stallSeconds(DWORD stallLimitMs) {
  return stallLimitMs < 1000 ? 1L : static_cast<long>((stallLimitMs + 999) / 1000);
}

std::wstring curlErrorText(CURLcode code) { return utility::ansiToWide(curl_easy_strerror(code)); }

// The content-type line, then the caller's lines; null when a line cannot be added.
curl_slist* buildHeaderList(const CurlHeaderList& headers) {
  curl_slist* list = curl_slist_append(nullptr, kJsonContentType);
  for (const auto& line : headers) {
    if (!list) return nullptr;
    curl_slist* longer = curl_slist_append(list, line.c_str());
    if (!longer) curl_slist_free_all(list);  // a failed append leaves the list to us
    list = longer;
  }
  return list;
}

}  // namespace

// Outside the anonymous namespace so that the log shows the bare function names.

static size_t WriteFileCallback(char* buffer, size_t size, size_t count, void* file) {
  size_t total = size * count;
  DWORD written = 0;
  if (!WriteFile(static_cast<HANDLE>(file), buffer, static_cast<DWORD>(total), &written, nullptr) ||
      written != total)
    return 0;  // libcurl ends the transfer with a write error
  return written;
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
  auto* state = static_cast<ProgressState*>(statePtr);
  int percent = curl_rules::progressPercent(downloadTotal, downloadedNow);
  if (percent < 0) return 0;
  DWORD now = GetTickCount();
  if (!curl_rules::progressDue(now, state->lastTick)) return 0;
  state->lastTick = now;
  if (state->progress) state->progress(percent);
  return 0;  // a download is never cancelled from here
}

bool CCurlDownloader::downloadFile(const std::wstring& path, const std::string& url,
                                   CurlProgressFunc progress, DWORD stallLimitMs) {
  LOG(L"downloadfile start");
  curl_global::TransferPlace place;
  CURL* handle = place ? curl_easy_init() : nullptr;
  if (!handle) {
    LOG(L"init error");
    return false;
  }
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LOG(L"open file error: %s. %d", path.c_str(), static_cast<int>(GetLastError()));
    curl_easy_cleanup(handle);
    return false;
  }
  ProgressState state;
  state.progress = std::move(progress);

  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteFileCallback);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
  curl_easy_setopt(handle, CURLOPT_MAX_RECV_SPEED_LARGE, kMaxReceiveBytesPerSecond);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(kMaxDownloadRedirects));
  // A server that stops sending must not hold the download for ever: less than
  // a byte a second over the whole stall limit ends it.
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds(stallLimitMs));
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_PROGRESSDATA, &state);
  curl_easy_setopt(handle, CURLOPT_PROGRESSFUNCTION, &ProgressCallback);
  setTransportOptions(handle, url);

  CURLcode code = curl_easy_perform(handle);
  curl_easy_cleanup(handle);
  CloseHandle(file);
  if (code != CURLE_OK) {
    std::wstring text = curlErrorText(code);
    LOG(L"download error %s", text.c_str());
    LOG(L"download file error %s", text.c_str());
    return false;
  }
  LOG(L"download  file sucess");
  return true;
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

  CURLcode code = curl_easy_perform(handle);
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
