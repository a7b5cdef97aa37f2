// The byte pattern tests/servers/package_server.py serves for /package/<n>:
// byte i is block[i % 65521], the block made by a 32-bit LCG from seed 1.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace net_test {

inline std::string packageBytes(size_t count) {
  const size_t kPeriod = 65521;
  static const std::string block = [] {
    std::string bytes(kPeriod, '\0');
    uint32_t x = 1;
    for (auto& byte : bytes) {
      x = x * 1103515245u + 12345u;
      byte = static_cast<char>((x >> 16) & 0xFF);
    }
    return bytes;
  }();
  std::string out;
  out.reserve(count);
  while (out.size() < count) out.append(block, 0, std::min(kPeriod, count - out.size()));
  return out;
}

}  // namespace net_test
