// One premultiplied BGRA pixel laid over another, as every drawing into a
// surface's pixels blends: shared so that images, fills and shapes round alike.
#pragma once
#include <algorithm>
#include <cstdint>

namespace DuiLib {

// `over` laid on `under`, both premultiplied, channel by channel.
inline uint32_t blendPixel(uint32_t over, uint32_t under) {
  const uint32_t keep = 255 - (over >> 24);
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t below = (under >> shift) & 0xFF;
    uint32_t channel = ((over >> shift) & 0xFF) + (below * keep * 2 + 255) / 510;
    result |= std::min<uint32_t>(channel, 255) << shift;
  }
  return result;
}

// A straight-alpha 0xAARRGGBB colour, premultiplied, covering `coverage`
// (0 to 255) of a pixel.
inline uint32_t premultiplied(uint32_t argb, uint32_t coverage) {
  const uint32_t alpha = ((argb >> 24) * coverage * 2 + 255) / 510;
  uint32_t result = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    result |= ((((argb >> shift) & 0xFF) * alpha * 2 + 255) / 510) << shift;
  }
  return result;
}

}  // namespace DuiLib
