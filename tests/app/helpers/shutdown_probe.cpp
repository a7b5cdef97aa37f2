// Shuts the application down as the installer does while an HTTPS post is in
// flight on another thread, waits for that post, and writes "posted=1" (or 0)
// to "<own path>.txt". A run that ends cleanly exits with 0.
#include <windows.h>

#include <curl/curl.h>

#include <string>
#include <thread>

#include "app/app_impl.h"
#include "net/curl_downloader.h"
#include "tests/support/test_support.h"

int wmain() {
  curl_global_init(CURL_GLOBAL_ALL);
  // The server answers three seconds after the post arrived.
  const std::string url = "https://127.0.0.1:" +
                          std::to_string(testing_support::testServerPort("PACKAGE_TLS")) +
                          "/echo?delay=3000";
  bool posted = false;
  std::thread post([&] {
    std::string response;
    posted = CCurlDownloader::postRequest(url, "{}", {}, response);
  });
  Sleep(1000);  // the post is waiting for its answer
  CAppImpl().uninit();
  post.join();

  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  testing_support::writeFile(std::wstring(self) + L".txt", posted ? "posted=1" : "posted=0");
  return 0;
}
