// HTTP(S) transport over libcurl's easy interface: one URL into one file, or one
// JSON post with its response. Every call owns its own transfer handle from start
// to end, so any number of threads may call at once. libcurl starts with the
// first transfer (net/curl_global.h).
#pragma once
#include <curl/curl.h>

#include <functional>
#include <string>
#include <vector>

#include "net/download_limits.h"
#include "net/partial_file.h"
#include "net/resumable_download.h"

// Receives a whole-number percentage (0..99) on the downloading thread.
using CurlProgressFunc = std::function<void(int)>;

// Complete header lines ("Name: value"), sent in order.
using CurlHeaderList = std::vector<std::string>;

class CCurlDownloader {
 public:
  // Downloads `url` (ANSI code page) into `path` (created or truncated), capped at
  // 20 MiB/s. `progress` (may be empty) gets at most one call a second and never 100;
  // its percentages count the bytes a resume already has. True when the whole file
  // came (resumable_download.h: requests that break are made again until the source
  // goes the limits' time without progress); an HTTP error page is written like any
  // body. A proxy that wants credentials the user's logon cannot give fails the
  // download at once.
  static bool downloadFile(const std::wstring& path, const std::string& url,
                           CurlProgressFunc progress, const DownloadLimits& limits = {});

  // The same as one source of a download into `file`, which may hold bytes of this
  // address already (of this run or, kept, of an earlier one): they are gone on
  // from. `reconnecting` (may be empty) is told before each wait for the connection.
  // An empty file is created when `file` is not open; an open one is kept as it is.
  static SourceEnd downloadFile(PartialFile& file, const std::string& url,
                                CurlProgressFunc progress, const DownloadLimits& limits,
                                const std::function<void()>& reconnecting = {});

  // Posts `body` (ANSI code page, sent as UTF-8 JSON) to `url` with the content-type
  // line followed by `headers`. True when libcurl reports no error, whatever the HTTP
  // status; then `response` holds the body received. On false `response` is unchanged.
  static bool postRequest(const std::string& url, const std::string& body,
                          const CurlHeaderList& headers, std::string& response);

  // The same post on `handle` from curl_easy_init; takes ownership of the handle and
  // cleans it up on every path.
  static bool postRequest(const std::string& body, std::string& response, const std::string& url,
                          const CurlHeaderList& headers, CURL* handle);
};
