#include "tests/support/real_servers.h"

#include <wininet.h>

#include <cstdlib>
#include <sstream>

#include "net/system_proxy.h"
#include "tests/support/test_support.h"

namespace real_servers {

namespace {

const wchar_t kSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnectionsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kConnectionValue[] = L"DefaultConnectionSettings";

// Flags of the connection settings: proxy, automatic-configuration script,
// detection, direct.
const DWORD kUseProxy = 2, kUseScript = 4, kAutoDetect = 8, kDirect = 1;

std::string environment(const char* name) {
  char value[1024] = {};
  DWORD got = GetEnvironmentVariableA(name, value, sizeof(value));
  return got > 0 && got < sizeof(value) ? std::string(value, got) : std::string();
}

// The harness's Unix path as Wine sees it.
std::wstring sharedPath(const char* name) {
  std::string path = environment((std::string("VORLANE_TEST_") + name + "_PATH").c_str());
  if (path.empty()) return {};
  std::wstring wine = L"Z:";
  for (char c : path) wine += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return wine;
}

std::string loopback(const char* scheme, const char* server, const std::string& path) {
  int port = testing_support::testServerPort(server);
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
}

std::vector<std::string> linesFrom(const std::wstring& path, size_t from) {
  std::string text = testing_support::readFile(path);
  std::vector<std::string> lines;
  std::istringstream stream(text.size() > from ? text.substr(from) : std::string());
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');)
    out.push_back(field == "-" ? "" : field);
  return out;
}

// WinHTTP's form of the settings: a header, then three counted ANSI texts.
std::string connectionSettings(const std::wstring& proxy, const std::wstring& bypass,
                               const std::wstring& script, bool autoDetect) {
  auto number = [](DWORD value) { return std::string(reinterpret_cast<char*>(&value), 4); };
  auto counted = [&](const std::wstring& text) {
    std::string ansi(text.begin(), text.end());
    return number(static_cast<DWORD>(ansi.size())) + ansi;
  };
  DWORD flags = (proxy.empty() ? 0 : kUseProxy) | (script.empty() ? 0 : kUseScript) |
                (autoDetect ? kAutoDetect : 0);
  return number(0x46) + number(1) + number(flags ? flags : kDirect) + counted(proxy) +
         counted(bypass) + counted(script) + std::string(32, '\0');
}

bool readValue(const wchar_t* key, const wchar_t* name, DWORD& type, std::string& data) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, nullptr, &size) !=
      ERROR_SUCCESS)
    return false;
  data.resize(size);
  return RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, data.data(), &size) ==
         ERROR_SUCCESS;
}

void writeValue(const wchar_t* key, const wchar_t* name, DWORD type, const std::string& data) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key, name, type, data.data(), static_cast<DWORD>(data.size()));
}

std::string wideBytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

// Tells WinINet that the settings changed (Windows keeps them per process),
// and libcurl's transfers, which remember their decisions.
void announceChange() {
  InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
  forgetProxyDecisions();
}

}  // namespace

bool available() {
  return testing_support::testServerPort("NGINX_TLS") && testing_support::testServerPort("PROXY");
}

std::string tlsUrl(const std::string& path) { return loopback("https", "NGINX_TLS", path); }
std::string viaUrl(const std::string& path) { return loopback("http", "NGINX_VIA", path); }
std::string outageUrl(const std::string& path) { return loopback("https", "OUTAGE", path); }

bool startOutage(const char* kind, int seconds) {
  // Written aside and moved in whole: the relay never reads half a request.
  std::wstring control = sharedPath("OUTAGE_CONTROL");
  std::wstring written = control + L".new";
  return !control.empty() &&
         testing_support::writeFile(written, std::string(kind) + " " + std::to_string(seconds)) &&
         MoveFileExW(written.c_str(), control.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::vector<std::string> outageLog() { return linesFrom(sharedPath("OUTAGE_LOG"), 0); }

std::wstring proxyAddress() {
  return L"127.0.0.1:" + std::to_wstring(testing_support::testServerPort("PROXY"));
}
std::wstring authProxyAddress() {
  return L"127.0.0.1:" + std::to_wstring(testing_support::testServerPort("PROXY_AUTH"));
}

namespace {

std::wstring placed(const std::string& name, bool changed) {
  return sharedPath("NGINX_ROOT") + (changed ? L"\\changed\\" : L"\\") +
         std::wstring(name.begin(), name.end());
}

// A changed copy is an hour younger than any copy made now: the host's ETag,
// made of the time and the size, differs.
bool markChanged(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time;
  time.LowPart = now.dwLowDateTime;
  time.HighPart = now.dwHighDateTime;
  time.QuadPart += 36000000000ull;
  FILETIME later = {time.LowPart, time.HighPart};
  bool ok = SetFileTime(file, nullptr, nullptr, &later);
  CloseHandle(file);
  return ok;
}

}  // namespace

bool place(const std::string& bytes, const std::string& name, bool changed) {
  std::wstring target = placed(name, changed);
  return testing_support::writeFile(target, bytes) && (!changed || markChanged(target));
}

bool placeFile(const std::wstring& source, const std::string& name, bool changed) {
  std::wstring target = placed(name, changed);
  return CopyFileW(source.c_str(), target.c_str(), FALSE) && (!changed || markChanged(target));
}

LogMark mark() {
  return {testing_support::readFile(sharedPath("NGINX_LOG")).size(),
          testing_support::readFile(sharedPath("PROXY_LOG")).size()};
}

std::vector<HostRequest> hostRequestsSince(const LogMark& from) {
  std::vector<HostRequest> requests;
  for (const auto& line : linesFrom(sharedPath("NGINX_LOG"), from.host)) {
    std::vector<std::string> f = fields(line);
    if (f.size() < 7) continue;
    requests.push_back({f[0], f[1], atoi(f[2].c_str()), atoll(f[3].c_str()), f[4], f[5], f[6]});
  }
  return requests;
}

std::vector<std::string> proxyRequestsSince(const LogMark& from) {
  const std::string kRequest = "]: Request (file descriptor ";
  std::vector<std::string> requests;
  for (const auto& line : linesFrom(sharedPath("PROXY_LOG"), from.proxy)) {
    size_t at = line.find(kRequest);
    if (at == std::string::npos) continue;
    size_t text = line.find("): ", at);
    if (text == std::string::npos) continue;
    std::string request = line.substr(text + 3);
    // "GET http://host/path HTTP/1.1" without the version.
    size_t version = request.rfind(" HTTP/");
    requests.push_back(version == std::string::npos ? request : request.substr(0, version));
  }
  return requests;
}

SystemProxySettings::SystemProxySettings(const std::wstring& proxy, const std::wstring& bypass,
                                         const std::wstring& script, bool autoDetect) {
  const struct {
    const wchar_t* key;
    const wchar_t* name;
  } kValues[] = {{kSettingsKey, L"ProxyEnable"},
                 {kSettingsKey, L"ProxyServer"},
                 {kSettingsKey, L"ProxyOverride"},
                 {kSettingsKey, L"AutoConfigURL"},
                 {kConnectionsKey, kConnectionValue}};
  for (const auto& value : kValues) {
    Saved saved{value.key, value.name, false, 0, {}};
    saved.present = readValue(value.key, value.name, saved.type, saved.data);
    saved_.push_back(saved);
  }
  DWORD enable = proxy.empty() ? 0 : 1;
  writeValue(kSettingsKey, L"ProxyEnable", REG_DWORD,
             std::string(reinterpret_cast<char*>(&enable), 4));
  writeValue(kSettingsKey, L"ProxyServer", REG_SZ, wideBytes(proxy));
  writeValue(kSettingsKey, L"ProxyOverride", REG_SZ, wideBytes(bypass));
  if (!script.empty()) writeValue(kSettingsKey, L"AutoConfigURL", REG_SZ, wideBytes(script));
  writeValue(kConnectionsKey, kConnectionValue, REG_BINARY,
             connectionSettings(proxy, bypass, script, autoDetect));
  announceChange();
}

SystemProxySettings::~SystemProxySettings() {
  for (const auto& saved : saved_) {
    if (saved.present)
      writeValue(saved.key, saved.name, saved.type, saved.data);
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, saved.key, saved.name);
  }
  announceChange();
}

}  // namespace real_servers
