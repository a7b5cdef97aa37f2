#include "net/curl_rules.h"

#include <cstdint>

namespace curl_rules {

int progressPercent(double total, double now) {
  if (total > -0.1 && total < 0.1) return -1;
  double percent = now / total * 100.0;
  // Clamped before the conversion: a count beyond the total must not overflow the int.
  if (percent >= 100.0) return 99;
  if (percent <= 0.0) return 0;
  return static_cast<int>(percent);
}

int resumedProgressPercent(int64_t base, double total, double now) {
  if (total > -0.1 && total < 0.1) return -1;
  double before = static_cast<double>(base);
  return progressPercent(before + total, before + now);
}

uint32_t grownLength(uint32_t size, size_t count) {
  uint64_t sum = uint64_t{size} + count;
  return sum > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(sum);
}

bool isBrokenTransfer(CURLcode code) {
  switch (code) {
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return true;
    default:
      return false;
  }
}

bool proxyNotReached(CURLcode code) {
  return code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_COULDNT_CONNECT;
}

ProxyRoute proxyRoute(const std::string& proxy, const std::string& noProxy) {
  bool http = proxy.rfind("http://", 0) == 0;
  if (!http) return {proxy, noProxy, static_cast<long>(CURLAUTH_NONE), nullptr};
  return {proxy, noProxy, static_cast<long>(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM), ":"};
}

}  // namespace curl_rules
