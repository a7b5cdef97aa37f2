// WinHTTP's view of the user's settings; kept apart from WinINet's headers,
// which clash with WinHTTP's.
#include "net/system_proxy.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "net/proxy_rules.h"
#include "utility/log.h"
#include "utility/text.h"
#include "utility/ui_dispatcher.h"

namespace {

// How long detection or a configuration script may take to arrive.
const int kScriptTimeoutMs = 5000;

// The decisions by "scheme://host". The lookup lock lets one lookup run at a
// time (a second one for the same host then finds it made); the map's own
// lock is only ever held for a moment, so the UI thread may take it.
std::mutex g_lookupLock;
std::mutex g_mapLock;
std::map<std::string, CurlProxySettings> g_decisions;

// Copies a text WinHTTP allocated and frees it.
std::wstring takeText(LPWSTR text) {
  if (!text) return {};
  std::wstring copy(text);
  GlobalFree(text);
  return copy;
}

std::string keyOf(const std::string& url) {
  return std::string(proxy_rules::isSecureUrl(url) ? "https://" : "http://") +
         proxy_rules::hostOf(url);
}

bool onUiThread() {
  auto* dispatcher = utility::UiDispatcher::instance();
  return dispatcher && dispatcher->threadId() == GetCurrentThreadId();
}

struct UserSettings {
  bool autoDetect = false;
  std::wstring script;
  std::wstring proxy;
  std::wstring bypass;
};

UserSettings readUserSettings() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return {};
  return {config.fAutoDetect != FALSE, takeText(config.lpszAutoConfigUrl),
          takeText(config.lpszProxy), takeText(config.lpszProxyBypass)};
}

// What WinHTTP answers with `flags`; false when it refused or failed.
bool askWinHttp(HINTERNET session, const std::wstring& url, const UserSettings& user, DWORD flags,
                WINHTTP_PROXY_INFO& info) {
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.dwFlags = flags;
  if (user.autoDetect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (!user.script.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = user.script.c_str();
  }
  info = {};
  return WinHttpGetProxyForUrl(session, url.c_str(), &options, &info) != FALSE;
}

// The routes detection or the script give for `url`; false when neither
// could be had (the fixed settings then apply).
bool automaticRoutes(const std::string& url, const UserSettings& user, CurlProxySettings& out) {
  HINTERNET session = WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return false;
  WinHttpSetTimeouts(session, kScriptTimeoutMs, kScriptTimeoutMs, kScriptTimeoutMs,
                     kScriptTimeoutMs);
  const std::wstring wideUrl = utility::ansiToWide(url);
  WINHTTP_PROXY_INFO info = {};
  // The script runs outside this elevated process; systems older than the
  // flag refuse it, and then run it as they always do.
  bool ok = askWinHttp(session, wideUrl, user, WINHTTP_AUTOPROXY_RUN_OUTPROCESS_ONLY, info);
  if (!ok && GetLastError() == ERROR_INVALID_PARAMETER) ok = askWinHttp(session, wideUrl, user, 0, info);
  if (!ok) LOG(L"proxy script failed %d", static_cast<int>(GetLastError()));
  std::wstring proxy = takeText(info.lpszProxy);
  std::wstring bypass = takeText(info.lpszProxyBypass);
  WinHttpCloseHandle(session);
  if (!ok) return false;
  CurlProxySettings settings;
  if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
    std::string bypassList = utility::wideToUtf8(bypass);
    if (!proxy_rules::bypasses(proxy_rules::hostOf(url), bypassList)) {
      settings.routes = proxy_rules::scriptRoutes(utility::wideToUtf8(proxy));
      settings.noProxy = proxy_rules::noProxyList(bypassList);
    }
  }
  out = settings;
  return true;
}

// The fixed proxy, unless the host is on the bypass list.
CurlProxySettings fixedRoutes(const std::string& url, const UserSettings& user) {
  std::string bypass = utility::wideToUtf8(user.bypass);
  CurlProxySettings settings;
  if (user.proxy.empty() || proxy_rules::bypasses(proxy_rules::hostOf(url), bypass))
    return settings;
  std::string proxy =
      proxy_rules::proxyFor(utility::wideToUtf8(user.proxy), proxy_rules::isSecureUrl(url));
  if (proxy.empty()) return settings;
  settings.routes = {proxy};
  settings.noProxy = proxy_rules::noProxyList(bypass);
  return settings;
}

CurlProxySettings decide(const std::string& url, bool automatic) {
  UserSettings user = readUserSettings();
  CurlProxySettings settings;
  bool found = automatic && (user.autoDetect || !user.script.empty()) &&
               automaticRoutes(url, user, settings);
  if (!found) settings = fixedRoutes(url, user);
  if (!settings.routes.front().empty())
    LOG(L"proxy %s", utility::utf8ToWide(settings.routes.front()).c_str());
  return settings;
}

bool remembered(const std::string& key, CurlProxySettings& settings) {
  std::lock_guard<std::mutex> lock(g_mapLock);
  auto found = g_decisions.find(key);
  if (found == g_decisions.end()) return false;
  settings = found->second;
  return true;
}

}  // namespace

CurlProxySettings systemProxyFor(const std::string& url) {
  const std::string key = keyOf(url);
  CurlProxySettings settings;
  if (remembered(key, settings)) return settings;
  if (onUiThread()) return decide(url, false);
  std::lock_guard<std::mutex> lookup(g_lookupLock);
  if (remembered(key, settings)) return settings;
  settings = decide(url, true);
  rememberProxyDecision(url, settings);
  return settings;
}

void proxyUnreachable(const std::string& url, const std::string& route) {
  std::lock_guard<std::mutex> lock(g_mapLock);
  auto found = g_decisions.find(keyOf(url));
  if (found == g_decisions.end()) return;
  auto& routes = found->second.routes;
  auto at = std::find(routes.begin(), routes.end(), route);
  if (at != routes.end()) std::rotate(at, at + 1, routes.end());
}

void rememberProxyDecision(const std::string& url, const CurlProxySettings& settings) {
  std::lock_guard<std::mutex> lock(g_mapLock);
  g_decisions[keyOf(url)] = settings.routes.empty() ? CurlProxySettings{} : settings;
}

void forgetProxyDecisions() {
  std::lock_guard<std::mutex> lock(g_mapLock);
  g_decisions.clear();
}
