// The receiving end of decoded bytes, one piece after another.
#pragma once
#include <cstddef>
#include <cstdint>

namespace utility::un7z {

class ByteSink {
 public:
  // Takes up to `size` bytes and reports how many it took; taking fewer than
  // offered means it takes nothing more, and decoding stops.
  virtual size_t take(const uint8_t* data, size_t size) = 0;

 protected:
  ~ByteSink() = default;
};

}  // namespace utility::un7z
