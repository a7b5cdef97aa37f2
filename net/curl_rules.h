// Pure rules of the libcurl transfers, kept apart from the transfer so they can
// be checked with tables of values.
#pragma once
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace curl_rules {

// The whole percentage to report for `now` of `total` bytes: -1 while no total is
// known (|total| < 0.1), otherwise truncated toward zero and never above 99.
int progressPercent(double total, double now);

// The same for a resumed transfer: libcurl counts only this answer's body
// (`total` announced, `now` received), after the `base` bytes already there.
int resumedProgressPercent(int64_t base, double total, double now);

// Length of a response buffer of `size` bytes after appending `count`; a sum that
// does not fit in 32 bits gives the largest 32-bit value, which no allocation meets.
uint32_t grownLength(uint32_t size, size_t count);

// Whether a transfer that ended with `code` broke on the way (reset, cut short,
// stalled, the peer or the connection lost), as opposed to a failure that
// asking again would meet again (the disk, a redirect, a refused protocol).
bool isBrokenTransfer(CURLcode code);

// Whether a transfer through a proxy that ended with `code` never reached the
// proxy (its name unknown, its port closed or silent): the next way is tried.
bool proxyNotReached(CURLcode code);

// What libcurl is told of one way to a host.
struct ProxyRoute {
  std::string proxy;    // CURLOPT_PROXY: "" for none
  std::string noProxy;  // CURLOPT_NOPROXY
  long auth;            // CURLOPT_PROXYAUTH
  const char* login;    // CURLOPT_PROXYUSERPWD
};
// The options for `proxy` ("" for a direct connection): an HTTP proxy's
// challenge is answered with Negotiate (Kerberos) or NTLM through the system's
// security packages, as the logged-on user (the empty login ":" lets them take
// the user's own credentials); no other scheme, so nothing typed or stored is
// ever sent. A direct connection or a SOCKS proxy has no login.
ProxyRoute proxyRoute(const std::string& proxy, const std::string& noProxy);

}  // namespace curl_rules
