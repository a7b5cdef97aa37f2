#include "net/proxy_rules.h"

#include <cctype>
#include <vector>

namespace proxy_rules {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (lower(text[i]) != lower(prefix[i])) return false;
  return true;
}

std::vector<std::string_view> entries(std::string_view list, std::string_view separators) {
  std::vector<std::string_view> out;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find_first_of(separators, start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// "scheme://rest" gives "rest"; anything else stays.
std::string_view withoutScheme(std::string_view text) {
  size_t mark = text.find("://");
  return mark == std::string_view::npos ? text : text.substr(mark + 3);
}

bool isNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

bool isHostName(std::string_view host) {
  if (host.empty() || host.size() > 255) return false;
  for (char c : host)
    if (!isNameCharacter(c)) return false;
  return true;
}

bool isIpv6Literal(std::string_view host) {
  if (host.size() < 2 || host.size() > 64) return false;
  for (char c : host)
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
  return true;
}

// "host[:port]" or "[v6][:port]" as "host:port" (port 80 when none), or empty.
std::string hostAndPort(std::string_view entry, const char* defaultPort) {
  std::string_view host = entry, port;
  if (!entry.empty() && entry.front() == '[') {
    size_t close = entry.find(']');
    if (close == std::string_view::npos || !isIpv6Literal(entry.substr(1, close - 1))) return {};
    host = entry.substr(0, close + 1);
    std::string_view rest = entry.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return {};
    if (!rest.empty()) port = rest.substr(1);
  } else {
    size_t colon = entry.rfind(':');
    if (colon != std::string_view::npos) {
      host = entry.substr(0, colon);
      port = entry.substr(colon + 1);
    }
    if (!isHostName(host)) return {};
  }
  if (port.empty()) port = defaultPort;
  if (port.size() > 5) return {};
  long number = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return {};
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number > 65535) return {};
  return std::string(host) + ":" + std::string(port);
}

// '*' matches any run of characters; everything else itself, without regard to case.
bool globMatches(std::string_view pattern, std::string_view text) {
  size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && lower(pattern[p]) == lower(text[t])) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

const char kBypassSeparators[] = "; ,\t\r\n";

// "10.*", "10.1.*", "10.1.2.*" and "10.*.*.*" as "10.0.0.0/8" and so on; empty
// for anything else (a partial part such as "10.1*" has no range).
std::string ipv4WildcardRange(std::string_view pattern) {
  std::vector<std::string_view> parts = entries(pattern, ".");
  if (parts.empty() || parts.size() > 4 || pattern.back() == '.' || pattern.front() == '.')
    return {};
  std::string network;
  size_t fixed = 0;
  bool wild = false;
  for (std::string_view part : parts) {
    if (part == "*") {
      wild = true;
      continue;
    }
    if (wild || part.size() > 3) return {};
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return {};
      value = value * 10 + (c - '0');
    }
    if (value > 255) return {};
    network += (fixed ? "." : "") + std::to_string(value);
    ++fixed;
  }
  if (!wild || fixed == 0 || pattern.find("..") != std::string_view::npos) return {};
  for (size_t i = fixed; i < 4; ++i) network += ".0";
  return network + "/" + std::to_string(fixed * 8);
}

// One entry of a script's answer as a proxy text, "" for DIRECT; false when
// it cannot be read.
bool scriptRoute(std::string_view entry, std::string& route) {
  std::vector<std::string_view> words = entries(entry, " \t\r\n");
  if (words.size() == 1 && startsWithNoCase(words[0], "DIRECT") && words[0].size() == 6) {
    route.clear();
    return true;
  }
  std::string_view kind = words.size() == 2 ? words[0] : "PROXY";
  std::string_view address = words.size() == 2 ? words[1] : words.size() == 1 ? words[0] : "";
  bool socks = startsWithNoCase(kind, "SOCKS");
  if (!socks && !startsWithNoCase(kind, "PROXY") && !startsWithNoCase(kind, "HTTP")) return false;
  std::string hostPort = hostAndPort(withoutScheme(address), socks ? "1080" : "80");
  if (hostPort.empty()) return false;
  route = (socks ? "socks4://" : "http://") + hostPort;
  return true;
}

}  // namespace

std::string hostOf(std::string_view url) {
  size_t mark = url.find("://");
  if (mark == std::string_view::npos) return {};
  std::string_view rest = url.substr(mark + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  size_t at = rest.rfind('@');
  if (at != std::string_view::npos) rest = rest.substr(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    size_t close = rest.find(']');
    return close == std::string_view::npos ? std::string() : std::string(rest.substr(1, close - 1));
  }
  return std::string(rest.substr(0, rest.find(':')));
}

bool isSecureUrl(std::string_view url) { return startsWithNoCase(url, "https://"); }

std::string proxyFor(std::string_view list, bool secure) {
  std::string_view scheme = secure ? "https=" : "http=";
  std::string_view forScheme, plain, socks;
  for (std::string_view entry : entries(list, "; \t\r\n")) {
    if (startsWithNoCase(entry, scheme)) {
      if (forScheme.empty()) forScheme = entry.substr(scheme.size());
    } else if (startsWithNoCase(entry, "socks=")) {
      if (socks.empty()) socks = entry.substr(6);
    } else if (entry.find('=') == std::string_view::npos) {
      if (plain.empty()) plain = entry;
    }
  }
  std::string_view chosen = !forScheme.empty() ? forScheme : plain;
  if (!chosen.empty()) {
    // The proxy itself is spoken to in plain HTTP, whatever prefix names it.
    std::string address = hostAndPort(withoutScheme(chosen), "80");
    return address.empty() ? std::string() : "http://" + address;
  }
  if (socks.empty()) return {};
  std::string address = hostAndPort(withoutScheme(socks), "1080");
  return address.empty() ? std::string() : "socks4://" + address;
}

std::vector<std::string> scriptRoutes(std::string_view answer) {
  std::vector<std::string> routes;
  for (std::string_view entry : entries(answer, ";")) {
    std::string route;
    if (scriptRoute(entry, route)) routes.push_back(route);
  }
  if (routes.empty()) routes.push_back({});
  return routes;
}

bool bypasses(std::string_view host, std::string_view bypassList) {
  if (host.empty()) return false;
  for (std::string_view entry : entries(bypassList, kBypassSeparators)) {
    if (entry == "<local>") {
      if (host.find('.') == std::string_view::npos && host.find(':') == std::string_view::npos)
        return true;
      continue;
    }
    if (globMatches(withoutScheme(entry), host)) return true;
  }
  return false;
}

std::string noProxyList(std::string_view bypassList) {
  std::string out;
  for (std::string_view entry : entries(bypassList, kBypassSeparators)) {
    entry = withoutScheme(entry);
    if (entry.empty()) continue;
    if (entry == "*") return "*";
    std::string range = ipv4WildcardRange(entry);
    if (!range.empty()) {
      out += (out.empty() ? "" : ",") + range;
      continue;
    }
    if (entry.size() > 2 && entry.substr(0, 2) == "*.") entry.remove_prefix(1);
    std::string_view name = entry.front() == '.' ? entry.substr(1) : entry;
    if (!isHostName(name) && !isIpv6Literal(name)) continue;
    if (!out.empty()) out += ',';
    out += entry;
  }
  return out;
}

}  // namespace proxy_rules
