// Small image files made by the tests themselves, so each fixture shows
// exactly the pixels a case needs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A 24-bit BMP file of `width` x `height` pixels given as 0xRRGGBB, rows top
// first.
std::string bmpFile(int width, int height, const std::vector<uint32_t>& pixels);

// An animated GIF of `width` x `height` whose frames are each one solid colour
// (0xRRGGBB, at most three) shown for `delayHundredths` of a second.
std::string gifFile(int width, int height, const std::vector<uint32_t>& frameColours,
                    int delayHundredths);

// What a PNG file holds: its header's fields, a palette (RGB triples) and a
// tRNS chunk's bytes where its kind takes them.
struct PngKind {
  int width = 0;
  int height = 0;
  int bitDepth = 8;
  int colourType = 6;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
  bool interlaced = false;
  std::vector<uint8_t> palette;
  std::vector<uint8_t> transparency;
};

// A PNG file of `kind` whose samples (channels of each pixel, rows top
// first, each at most 2^bitDepth - 1) are `samples`; Adam7 passes when
// interlaced.
std::string pngFile(const PngKind& kind, const std::vector<uint16_t>& samples);

}  // namespace testing_support
