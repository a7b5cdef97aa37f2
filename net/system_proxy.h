// The proxy of the current user's Internet settings for one address, for
// libcurl: the fixed proxy and its bypass list, or what the automatic
// configuration script says where one is set. The environment's proxy
// variables are never used: the installer runs elevated, and they belong to
// whoever started it.
#pragma once
#include <string>

struct CurlProxySettings {
  std::string proxy;    // libcurl's CURLOPT_PROXY; empty: connect directly
  std::string noProxy;  // libcurl's CURLOPT_NOPROXY, for redirect targets
};

// Any thread. Blocks while a configuration script is fetched (a few seconds
// at most); a script that cannot be had leaves the fixed settings in force.
CurlProxySettings systemProxyFor(const std::string& url);
