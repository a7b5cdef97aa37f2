// The proxy of the current user's Internet settings for one address, for
// libcurl: the fixed proxy and its bypass list, or what automatic detection
// (WPAD) or the automatic configuration script says where the settings have
// them. The environment's proxy variables are never used: the installer runs
// elevated, and they belong to whoever started it.
#pragma once
#include <string>
#include <vector>

struct CurlProxySettings {
  // The ways to the host in the order to try them, each a proxy in libcurl's
  // form or "" for straight to the host; never empty.
  std::vector<std::string> routes{std::string()};
  std::string noProxy;  // libcurl's CURLOPT_NOPROXY, for redirect targets
};

// The decision for `url`'s scheme and host, made once per process (any
// thread but the UI thread): detection and the script can take seconds, and
// run out of this process where the system allows. On the UI thread a host
// not decided yet gets the fixed settings alone, and nothing is remembered.
CurlProxySettings systemProxyFor(const std::string& url);

// A route that could not be reached goes to the end of the host's list, so
// that later transfers start with the next one. Any thread.
void proxyUnreachable(const std::string& url, const std::string& route);

// Records a decision made elsewhere for `url`'s scheme and host, as a lookup
// would (a test gives the list a script on Windows would). Any thread.
void rememberProxyDecision(const std::string& url, const CurlProxySettings& settings);

// Forgets every decision: the user's settings changed. Any thread.
void forgetProxyDecisions();
