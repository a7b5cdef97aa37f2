// Rules of the system's proxy settings, as Windows writes them, turned into
// what libcurl takes. Plain texts only, so they can be checked with tables.
// The settings are the user's and may hold anything: whatever cannot be read
// as a host and port is not used.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace proxy_rules {

// The host of `url` ("scheme://[user@]host[:port][/...]"), an IPv6 address
// without its brackets; empty when there is none.
std::string hostOf(std::string_view url);

// Whether `url` begins with "https://", without regard to case.
bool isSecureUrl(std::string_view url);

// The proxy for a request from the system's list ("host:port", or entries
// such as "http=host:port;https=host:port;socks=host:port"): the entry for the
// request's scheme, else one without a scheme, else the SOCKS one. Given as
// libcurl's proxy text ("http://host:port", "socks4://host:port"); empty
// when no usable entry applies.
std::string proxyFor(std::string_view list, bool secure);

// The ways to a host that an automatic-configuration script's answer gives,
// in its order: its entries ("PROXY host:port", "SOCKS host:port", "DIRECT",
// or bare "host:port", separated by ';') as libcurl's proxy texts, "" for
// DIRECT. Entries that cannot be read are left out; an answer with none left
// gives a direct connection.
std::vector<std::string> scriptRoutes(std::string_view answer);

// Whether `host` is on the system's bypass list: entries separated by ';',
// ',' or blanks, '*' standing for any run of characters, and "<local>" for
// every name without a dot.
bool bypasses(std::string_view host, std::string_view bypassList);

// The bypass list in libcurl's terms (comma-separated), for addresses that
// redirects lead to: plain names and addresses as they are, "*.domain" as
// ".domain", IPv4 wildcards of whole parts ("10.*", "192.168.1.*") as CIDR
// ranges ("10.0.0.0/8"); other patterns have no libcurl form and are left out.
std::string noProxyList(std::string_view bypassList);

}  // namespace proxy_rules
