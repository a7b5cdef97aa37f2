#include "net/proxy_rules.h"

#include <gtest/gtest.h>

TEST(ProxyRules, HostOfAnAddress) {
  struct Case {
    const char* url;
    const char* host;
  } cases[] = {
      {"https://cdn.example.com/download/package/x.exe", "cdn.example.com"},
      {"http://127.0.0.1:18080/a?b=c", "127.0.0.1"},
      {"http://user:pw@host.example:81", "host.example"},
      {"https://[::1]:8443/x", "::1"},
      {"HTTP://Host.Example?x", "Host.Example"},
      {"no scheme", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(proxy_rules::hostOf(c.url), c.host) << c.url;
}

TEST(ProxyRules, ProxyForTheRequestsScheme) {
  struct Case {
    const char* list;
    bool secure;
    const char* proxy;
  } cases[] = {
      {"127.0.0.1:3128", false, "http://127.0.0.1:3128"},
      {"127.0.0.1:3128", true, "http://127.0.0.1:3128"},
      {"proxy.corp", false, "http://proxy.corp:80"},
      {"http://proxy.corp:8080", true, "http://proxy.corp:8080"},
      {"http=web:80;https=secure:443;ftp=f:21", false, "http://web:80"},
      {"http=web:80;https=secure:443;ftp=f:21", true, "http://secure:443"},
      {"ftp=f:21 plain:3128", true, "http://plain:3128"},
      {"HTTPS=Secure:8443", true, "http://Secure:8443"},
      {"https=secure:443", false, ""},
      {"socks=sox:1080", true, "socks4://sox:1080"},
      {"socks=sox", false, "socks4://sox:1080"},
      {"[::1]:3128", false, "http://[::1]:3128"},
      {"", false, ""},
      {"bad host:1", false, "http://bad:80"},  // blanks separate entries; the first counts
      {"host:99999", false, ""},
      {"host:80x", false, ""},
      {"ho$t:80", false, ""},
      {"user:pw@host:80", false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(proxy_rules::proxyFor(c.list, c.secure), c.proxy) << c.list << " " << c.secure;
}

TEST(ProxyRules, BypassListAndItsLibcurlForm) {
  struct Case {
    const char* host;
    const char* list;
    bool bypassed;
  } cases[] = {
      {"intranet", "<local>", true},
      {"intranet.corp", "<local>", false},
      {"::1", "<local>", false},
      {"cdn.example.com", "*.example.com", true},
      {"example.com", "*.example.com", false},
      {"CDN.Example.COM", "other; *.example.com", true},
      {"10.1.2.3", "10.*", true},
      {"110.1.2.3", "10.*", false},
      {"127.0.0.1", "localhost,127.0.0.1", true},
      {"dl.example.net", "http://dl.example.net", true},
      {"a.b.c", "a*c", true},
      {"anything", "*", true},
      {"host", "", false},
      {"", "*", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(proxy_rules::bypasses(c.host, c.list), c.bypassed) << c.host << " / " << c.list;

  EXPECT_EQ(
      proxy_rules::noProxyList("<local>; *.example.com;10.*, 127.0.0.1 http://dl.example.net"),
      ".example.com,10.0.0.0/8,127.0.0.1,dl.example.net");
  // IPv4 wildcards of whole parts become ranges; partial parts have no form.
  // ("*.1" is a domain.)
  EXPECT_EQ(proxy_rules::noProxyList("192.168.*;172.16.5.*;10.*.*.*;10.1*;1.2.3.4.*;300.*;*.1"),
            "192.168.0.0/16,172.16.5.0/24,10.0.0.0/8,.1");
  EXPECT_EQ(proxy_rules::noProxyList("a;*;b"), "*");
  EXPECT_EQ(proxy_rules::noProxyList(""), "");
}

TEST(ProxyRules, SecureAddressesWithoutRegardToCase) {
  EXPECT_TRUE(proxy_rules::isSecureUrl("https://x"));
  EXPECT_TRUE(proxy_rules::isSecureUrl("HTTPS://x"));
  EXPECT_FALSE(proxy_rules::isSecureUrl("http://x"));
  EXPECT_FALSE(proxy_rules::isSecureUrl("https:/x"));
}

// An automatic-configuration script's answer, every way in its order.
TEST(ProxyRules, EveryEntryOfAScriptsAnswerInOrder) {
  struct Case {
    const char* answer;
    std::vector<std::string> routes;
  } cases[] = {
      {"PROXY a.corp:8080; PROXY b.corp:3128; DIRECT",
       {"http://a.corp:8080", "http://b.corp:3128", ""}},
      {"a.corp:8080;b.corp:3128", {"http://a.corp:8080", "http://b.corp:3128"}},
      {"SOCKS s.corp:1080; DIRECT", {"socks4://s.corp:1080", ""}},
      {"DIRECT", {""}},
      {"PROXY bad host; PROXY ok:1", {"http://ok:1"}},
      {"FTP f:21", {""}},
      {"", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(proxy_rules::scriptRoutes(c.answer), c.routes) << c.answer;
}
