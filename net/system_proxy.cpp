// WinHTTP's view of the user's settings; kept apart from WinINet's headers,
// which clash with WinHTTP's.
#include "net/system_proxy.h"

#include <windows.h>
#include <winhttp.h>

#include "net/proxy_rules.h"
#include "utility/log.h"
#include "utility/text.h"

namespace {

// How long a configuration script may take to arrive.
const int kScriptTimeoutMs = 5000;

// Copies a text WinHTTP allocated and frees it.
std::wstring takeText(LPWSTR text) {
  if (!text) return {};
  std::wstring copy(text);
  GlobalFree(text);
  return copy;
}

struct Settings {
  std::wstring proxy;
  std::wstring bypass;
};

// The proxy the script at `scriptUrl` gives for `url`; false when the script
// could not be fetched or run.
bool scriptSettings(const std::wstring& url, const std::wstring& scriptUrl, Settings& settings) {
  HINTERNET session = WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return false;
  WinHttpSetTimeouts(session, kScriptTimeoutMs, kScriptTimeoutMs, kScriptTimeoutMs,
                     kScriptTimeoutMs);
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  options.lpszAutoConfigUrl = scriptUrl.c_str();
  WINHTTP_PROXY_INFO info = {};
  bool ok = WinHttpGetProxyForUrl(session, url.c_str(), &options, &info);
  if (!ok) LOG(L"proxy script failed %d", static_cast<int>(GetLastError()));
  std::wstring proxy = takeText(info.lpszProxy);
  std::wstring bypass = takeText(info.lpszProxyBypass);
  WinHttpCloseHandle(session);
  if (!ok) return false;
  bool named = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  settings = {named ? proxy : std::wstring(), named ? bypass : std::wstring()};
  return true;
}

}  // namespace

CurlProxySettings systemProxyFor(const std::string& url) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return {};
  std::wstring scriptUrl = takeText(config.lpszAutoConfigUrl);
  Settings settings{takeText(config.lpszProxy), takeText(config.lpszProxyBypass)};
  // Automatic detection (WPAD) is not followed: any machine of the local
  // network could answer it, and the WinINet method still does when it is on.
  if (!scriptUrl.empty()) scriptSettings(utility::ansiToWide(url), scriptUrl, settings);

  std::string bypass = utility::wideToUtf8(settings.bypass);
  if (settings.proxy.empty() || proxy_rules::bypasses(proxy_rules::hostOf(url), bypass)) return {};
  std::string proxy =
      proxy_rules::proxyFor(utility::wideToUtf8(settings.proxy), proxy_rules::isSecureUrl(url));
  if (proxy.empty()) return {};
  LOG(L"proxy %s", utility::utf8ToWide(proxy).c_str());
  return {proxy, proxy_rules::noProxyList(bypass)};
}
