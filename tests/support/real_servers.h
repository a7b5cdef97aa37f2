// The real servers of tests/servers/real_servers.py as a test sees them: nginx
// as a package host (HTTPS, and plain HTTP behind the proxy), tinyproxy as the
// system proxy, their logs, and the current user's proxy settings in the Wine
// prefix's registry.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace real_servers {

// Whether the harness started them (nginx and tinyproxy are installed).
bool available();

// "https://127.0.0.1:<port><path>" on nginx's HTTPS host.
std::string tlsUrl(const std::string& path);
// "http://127.0.0.1:<port><path>" on nginx's plain host, which serves only
// requests that came through the proxy.
std::string viaUrl(const std::string& path);
// "https://127.0.0.1:<port><path>" through the relay in front of nginx's HTTPS
// host that has outages on request.
std::string outageUrl(const std::string& path);
// Starts an outage of the relay for `seconds`: "refuse" (connections refused,
// those there dropped), "silent" (accepted, then nothing until it ends) or
// "linkdown" (the loopback link down: only in a network namespace of the
// tests' own). False when it could not be asked for.
bool startOutage(const char* kind, int seconds);
// The relay's log lines since the start: "<time> start KIND S", "<time> end KIND".
std::vector<std::string> outageLog();

// "127.0.0.1:<port>" of the proxy, or of the one that answers 407 to everything.
std::wstring proxyAddress();
std::wstring authProxyAddress();

// Puts `bytes` into nginx's files as `name`; with `changed`, a copy with another
// time (and so another ETag) for the "changed" locations. True when done.
bool place(const std::string& bytes, const std::string& name, bool changed = false);
// The same with a copy of the file `source`.
bool placeFile(const std::wstring& source, const std::string& name, bool changed = false);

// One request in nginx's access log.
struct HostRequest {
  std::string method;
  std::string uri;
  int status = 0;
  long long bodyBytes = 0;
  std::string range;  // "" when none
  std::string ifRange;
  std::string via;
};
// A place in the logs; what came later is read from it.
struct LogMark {
  size_t host = 0;
  size_t proxy = 0;
};
LogMark mark();
std::vector<HostRequest> hostRequestsSince(const LogMark& from);
// tinyproxy's request lines since `from`: "GET http://..." or "CONNECT host:port".
std::vector<std::string> proxyRequestsSince(const LogMark& from);

// Sets the current user's Internet settings while it lives, as the system's
// settings dialog writes them (the values WinINet reads and the connection
// settings WinHTTP reads), and puts the earlier ones back at the end. The
// proxy decisions libcurl's transfers remembered are forgotten both times.
class SystemProxySettings {
 public:
  // `proxy` "host:port" or the per-scheme list; `bypass` the override list;
  // `script` an automatic-configuration address; `autoDetect` turns detection
  // (WPAD) on. Empty ones are left unset.
  SystemProxySettings(const std::wstring& proxy, const std::wstring& bypass,
                      const std::wstring& script = L"", bool autoDetect = false);
  ~SystemProxySettings();
  SystemProxySettings(const SystemProxySettings&) = delete;
  SystemProxySettings& operator=(const SystemProxySettings&) = delete;

 private:
  struct Saved {
    const wchar_t* key;
    const wchar_t* name;
    bool present;
    DWORD type;
    std::string data;
  };
  std::vector<Saved> saved_;
};

}  // namespace real_servers
