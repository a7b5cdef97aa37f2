// The system proxy (tinyproxy, set in the prefix's Internet settings) for both
// download methods and the posts, against Debian's nginx: a plain host that
// serves only what came through the proxy, and HTTPS through a tunnel.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "net/curl_downloader.h"
#include "net/system_proxy.h"
#include "tests/net/net_test_support.h"
#include "tests/support/real_servers.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

using net_test::kDownloadEngines;
using net_test::LogCapture;
using net_test::packageBytes;
using real_servers::SystemProxySettings;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

const size_t kSize = 300000;
const char kName[] = "proxied.bin";

bool curlDownload(const std::string& url, const std::wstring& file) {
  return CCurlDownloader::downloadFile(file, url, {});
}

// "127.0.0.1:<port>" of an address.
std::string hostAndPort(const std::string& url) {
  size_t start = url.find("://") + 3;
  return url.substr(start, url.find('/', start) - start);
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class SystemProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!real_servers::available()) GTEST_SKIP() << "nginx and tinyproxy are not installed";
    ASSERT_TRUE(real_servers::place(packageBytes(kSize), kName));
  }
  TempDir dir_;
};

}  // namespace

TEST_F(SystemProxy, BothMethodsGoThroughIt) {
  const std::string plain = real_servers::viaUrl(std::string("/files/") + kName);
  const std::string secure = real_servers::tlsUrl(std::string("/files/") + kName);
  struct Case {
    const char* what;
    std::wstring bypass;
    std::string url;
    bool ok;
    std::string proxied;  // the proxy's request line; "" when it must see none
  } cases[] = {
      {"plain HTTP, forwarded", L"", plain, true, "GET " + plain},
      {"HTTPS, tunnelled", L"", secure, true, "CONNECT " + hostAndPort(secure)},
      {"bypassed: straight to the host, which refuses", L"<local>;127.0.0.1", plain, false, ""},
  };
  for (const auto& engine : kDownloadEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.what);
      SystemProxySettings proxy(real_servers::proxyAddress(), c.bypass);
      std::wstring file = dir_.file(L"download.bin");
      real_servers::LogMark mark = real_servers::mark();
      bool done = engine.download(c.url, file, {}, nullptr);
      // libcurl writes the host's refusal like any page; WinINet refuses it.
      bool whole = done && readFile(file) == packageBytes(kSize);
      EXPECT_EQ(whole, c.ok);
      auto proxied = real_servers::proxyRequestsSince(mark);
      if (c.proxied.empty())
        EXPECT_TRUE(proxied.empty()) << proxied.front();
      else
        EXPECT_TRUE(contains(proxied, c.proxied)) << (proxied.empty() ? "none" : proxied.front());
    }
  }
}

// The automatic-configuration script is fetched and run (by WinHTTP) for
// libcurl; WinINet follows it by itself on Windows.
TEST_F(SystemProxy, ScriptChoosesTheProxyForLibcurl) {
  SystemProxySettings settings(L"", L"", utility::utf8ToWide(real_servers::viaUrl("/proxy.pac")));
  const std::string url = real_servers::viaUrl(std::string("/files/") + kName);
  std::wstring file = dir_.file(L"download.bin");
  real_servers::LogMark mark = real_servers::mark();
  EXPECT_TRUE(curlDownload(url, file));
  EXPECT_TRUE(readFile(file) == packageBytes(kSize));
  EXPECT_TRUE(contains(real_servers::proxyRequestsSince(mark), "GET " + url));
}

// The elevated installer takes no proxy from its environment, where whoever
// started it may have put one.
TEST_F(SystemProxy, EnvironmentVariablesAreNotUsed) {
  const std::string authProxy = "http://" + utility::wideToUtf8(real_servers::authProxyAddress());
  const char* kVariables[] = {"http_proxy", "https_proxy", "all_proxy", "no_proxy"};
  for (const char* name : kVariables)
    SetEnvironmentVariableA(name, std::string(name) == "no_proxy" ? "*" : authProxy.c_str());
  std::wstring file = dir_.file(L"download.bin");
  {
    // No system proxy: straight to the host, not to the environment's proxy.
    EXPECT_TRUE(curlDownload(real_servers::tlsUrl(std::string("/files/") + kName), file));
    EXPECT_TRUE(readFile(file) == packageBytes(kSize));
  }
  {
    // A system proxy: used, whatever no_proxy says.
    SystemProxySettings settings(real_servers::proxyAddress(), L"");
    const std::string url = real_servers::viaUrl(std::string("/files/") + kName);
    EXPECT_TRUE(curlDownload(url, file));
    EXPECT_TRUE(readFile(file) == packageBytes(kSize));
  }
  for (const char* name : kVariables) SetEnvironmentVariableA(name, nullptr);
}

// A proxy that wants credentials is one failure of the source, at once,
// logged with its status.
TEST_F(SystemProxy, AProxyWantingCredentialsFailsTheSourceAtOnce) {
  const char kCurl[] = "CCurlDownloader::downloadFile";
  const char kWinInet[] = "utility::CHttpDownload2FileSink::onHttpRecvHead";
  struct Case {
    const char* what;
    std::string url;
  } cases[] = {
      {"plain HTTP", real_servers::viaUrl(std::string("/files/") + kName)},
      {"HTTPS", real_servers::tlsUrl(std::string("/files/") + kName)},
  };
  SystemProxySettings settings(real_servers::authProxyAddress(), L"");
  for (const auto& engine : kDownloadEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.what);
      LogCapture log;
      DWORD start = GetTickCount();
      EXPECT_FALSE(engine.download(c.url, dir_.file(L"download.bin"), {}, nullptr));
      EXPECT_LT(GetTickCount() - start, 10000u);
      if (std::string(engine.name) == "libcurl")
        EXPECT_EQ(
            log.messagesOf(kCurl),
            (std::vector<std::wstring>{L"downloadfile start", L"download error proxy status 407",
                                       L"download file error proxy status 407"}));
      else
        EXPECT_EQ(log.messagesOf(kWinInet),
                  (std::vector<std::wstring>{L"onHttpErro status = 407"}));
    }
  }
}

// The telemetry posts use libcurl too, and the same proxy rule.
TEST_F(SystemProxy, PostsGoThroughItToo) {
  SystemProxySettings settings(real_servers::proxyAddress(), L"");
  real_servers::LogMark mark = real_servers::mark();
  std::string response;
  const std::string url = net_test::url("/echo");
  EXPECT_TRUE(CCurlDownloader::postRequest(url, "[1]", {}, response));
  EXPECT_NE(response.find("BODY 3\n[1]"), std::string::npos) << response;
  EXPECT_TRUE(contains(real_servers::proxyRequestsSince(mark), "POST " + url));
}

// A script's answer names several ways ("PROXY a; PROXY b; DIRECT"); WinHTTP
// on Windows hands them all on, Wine only the first, so the decision is given
// here as Windows would make it. A proxy that cannot be reached gives way to
// the next, at once, and later transfers start with the one that worked.
TEST_F(SystemProxy, EveryWayOfAScriptsAnswerInOrder) {
  const std::string dead = "http://" + hostAndPort(net_test::closedUrl("/"));
  const std::string proxy = "http://" + utility::wideToUtf8(real_servers::proxyAddress());
  const std::string viaProxy = real_servers::viaUrl(std::string("/files/") + kName);
  const std::string direct = real_servers::viaUrl(std::string("/open/") + kName);
  struct Case {
    const char* what;
    std::string url;
    std::vector<std::string> routes;
    int passedOver;  // ways not reached, over both downloads
  } cases[] = {
      {"the second proxy", viaProxy, {dead, proxy, ""}, 1},
      {"direct after the proxies", direct, {dead, ""}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    forgetProxyDecisions();
    CurlProxySettings settings;
    settings.routes = c.routes;
    rememberProxyDecision(c.url, settings);
    LogCapture log;
    for (int i = 0; i < 2; ++i) {
      std::wstring file = dir_.file(L"download.bin");
      EXPECT_TRUE(curlDownload(c.url, file)) << i;
      EXPECT_TRUE(readFile(file) == packageBytes(kSize)) << i;
    }
    int passedOver = 0;
    for (const auto& line : log.lines())
      if (line.message.rfind(L"proxy not reached", 0) == 0) ++passedOver;
    EXPECT_EQ(passedOver, c.passedOver);
  }
  forgetProxyDecisions();
}

// The decision is made once per host: the script is fetched for the first
// transfer only.
TEST_F(SystemProxy, TheScriptIsAskedOncePerHost) {
  // An address of its own: WinHTTP may keep a script it fetched before.
  const std::string script = "/proxy.pac?once";
  SystemProxySettings settings(L"", L"", utility::utf8ToWide(real_servers::viaUrl(script)));
  const std::string url = real_servers::viaUrl(std::string("/files/") + kName);
  real_servers::LogMark mark = real_servers::mark();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(curlDownload(url, dir_.file(L"download.bin"))) << i;
  std::string response;
  EXPECT_TRUE(CCurlDownloader::postRequest(real_servers::viaUrl("/open/post"), "[1]", {}, response));
  int scripts = 0;
  for (const auto& request : real_servers::hostRequestsSince(mark))
    if (request.uri == script) ++scripts;
  EXPECT_EQ(scripts, 1);
}

// With detection (WPAD) on, WinHTTP is asked to detect; where it finds no
// script (as here: no network answers for one), the fixed proxy holds.
TEST_F(SystemProxy, DetectionIsAskedAndTheFixedProxyHoldsWithoutAScript) {
  SystemProxySettings settings(real_servers::proxyAddress(), L"", L"", true);
  const std::string url = real_servers::viaUrl(std::string("/files/") + kName);
  LogCapture log;
  real_servers::LogMark mark = real_servers::mark();
  DWORD start = GetTickCount();
  EXPECT_TRUE(curlDownload(url, dir_.file(L"download.bin")));
  EXPECT_LT(GetTickCount() - start, 20000u);
  EXPECT_TRUE(contains(real_servers::proxyRequestsSince(mark), "GET " + url));
  bool asked = false;
  for (const auto& line : log.lines())
    if (line.message.rfind(L"proxy script failed", 0) == 0) asked = true;
  EXPECT_TRUE(asked);
}

// A proxy that asks for Negotiate or NTLM is answered through the system's
// security packages as the logged-on user: libcurl asks again with what they
// give, and never with a name and password of ours. On Windows that is the
// user's Kerberos ticket or NTLM message; Wine's packages have no Kerberos or
// NTLM back end here and give nothing, so the second request carries no
// credential: what this shows is that the options reached libcurl and that it
// chose a scheme of the system's packages (curl_rules_test checks the options
// themselves). A proxy that wants a password (Basic) is not answered at all
// (AProxyWantingCredentialsFailsTheSourceAtOnce).
TEST_F(SystemProxy, AChallengeIsAnsweredOnlyAsTheLoggedOnUser) {
  const std::string proxy =
      "http://127.0.0.1:" + std::to_string(testing_support::testServerPort("CHALLENGE_PROXY"));
  const std::string url = real_servers::viaUrl(std::string("/files/") + kName);
  CurlProxySettings settings;
  settings.routes = {proxy};
  rememberProxyDecision(url, settings);
  EXPECT_FALSE(curlDownload(url, dir_.file(L"download.bin")));
  std::string response;
  EXPECT_TRUE(CCurlDownloader::postRequest(url, "[1]", {}, response));
  EXPECT_EQ(response, "credentials wanted\n");

  forgetProxyDecisions();  // the proxy's own log is asked directly
  std::string log;
  ASSERT_TRUE(CCurlDownloader::postRequest(net_test::loopbackUrl("CHALLENGE_PROXY", "/log"), "",
                                           {}, log));
  size_t requests = 0;
  for (size_t at = log.find("\"request\""); at != std::string::npos;
       at = log.find("\"request\"", at + 1))
    ++requests;
  EXPECT_EQ(requests, 4u) << log;  // each transfer, and its answer to the challenge
  for (const char* scheme : {"Basic", "Digest"}) EXPECT_EQ(log.find(scheme), std::string::npos);
}
