// Reads PNG files into straight (not premultiplied) 0xAARRGGBB pixels with
// libspng: every colour type and bit depth, interlaced or not, with a tRNS
// chunk's transparency applied and no gamma change. The skin's images come
// through here, and so may a loose file a user put beside the program: the
// input is untrusted, so sizes are bounded and a file whose pixels are
// damaged or cut short is refused whole. Plain bytes in and out, no Win32:
// the fuzz target runs this very code natively. Any thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace DuiLib {

// The widest and tallest image read; the skin's largest is far smaller.
inline constexpr uint32_t kMaxPngSide = 4096;

// True when `data` starts with the PNG signature.
bool isPngData(const uint8_t* data, size_t size);

struct DecodedPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // straight alpha, top-down rows
};

// False, with `out` left empty, for anything but a PNG with valid, whole
// pixel data of at most kMaxPngSide pixels each way.
bool decodePng(const uint8_t* data, size_t size, DecodedPixels& out);

}  // namespace DuiLib
