// The PNG decoder against GDI+ as the reference, over every kind of PNG a
// skin may hold (the shipped skin's are all 8-bit RGBA), and its refusal of
// damaged, cut and oversized files.
#include "toolkit/png_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/toolkit/test_images.h"
#include "toolkit/gdiplus_images.h"

namespace DuiLib {
namespace {

using testing_support::PngKind;

// Samples that run through every value a channel can take, different in
// each channel, row and column.
std::vector<uint16_t> samplesFor(const PngKind& kind, int channels) {
  const uint32_t top = (1u << kind.bitDepth) - 1;
  const uint32_t colours = kind.colourType == 3 ? static_cast<uint32_t>(kind.palette.size() / 3) : top + 1;
  std::vector<uint16_t> samples;
  for (int y = 0; y < kind.height; ++y) {
    for (int x = 0; x < kind.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        samples.push_back(static_cast<uint16_t>((x * 37u + y * 91u + c * 53u) * (top > 255 ? 257u : 1u) % colours));
      }
    }
  }
  return samples;
}

std::vector<uint8_t> rampPalette(int colours) {
  std::vector<uint8_t> palette;
  for (int i = 0; i < colours; ++i) {
    palette.insert(palette.end(),
                   {static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3)});
  }
  return palette;
}

PngKind pngKind(int bitDepth, int colourType, bool interlaced = false, std::vector<uint8_t> palette = {},
                std::vector<uint8_t> transparency = {}) {
  PngKind kind;
  kind.width = 21;
  kind.height = 13;
  kind.bitDepth = bitDepth;
  kind.colourType = colourType;
  kind.interlaced = interlaced;
  kind.palette = std::move(palette);
  kind.transparency = std::move(transparency);
  return kind;
}

struct Kind {
  const char* name;
  PngKind png;
  int channels;
  int tolerance;  // per channel: GDI+ rounds 16-bit samples, libspng cuts them
};

TEST(PngDecoder, EveryKindDecodesAsGdiplusDecodesIt) {
  const Kind kinds[] = {
      {"RGBA 8", pngKind(8, 6), 4, 0},
      {"RGB 8", pngKind(8, 2), 3, 0},
      {"grey 8", pngKind(8, 0), 1, 0},
      {"grey and alpha 8", pngKind(8, 4), 2, 0},
      {"grey 1", pngKind(1, 0), 1, 0},
      {"grey 4", pngKind(4, 0), 1, 0},
      {"palette 8 with tRNS", pngKind(8, 3, false, rampPalette(200), {0, 40, 128, 255, 7}), 1, 0},
      {"palette 2", pngKind(2, 3, false, rampPalette(4)), 1, 0},
      {"RGBA 16", pngKind(16, 6), 4, 1},
      {"RGBA 8 interlaced", pngKind(8, 6, true), 4, 0},
      {"grey 4 interlaced", pngKind(4, 0, true), 1, 0},
  };
  for (const Kind& kind : kinds) {
    std::string file = testing_support::pngFile(kind.png, samplesFor(kind.png, kind.channels));
    const auto* data = reinterpret_cast<const uint8_t*>(file.data());
    DecodedPixels ours;
    ASSERT_TRUE(decodePng(data, file.size(), ours)) << kind.name;
    std::vector<DecodedPixels> reference;
    std::vector<UINT> delays;
    ASSERT_TRUE(decodeWithGdiplus(data, static_cast<uint32_t>(file.size()), reference, delays)) << kind.name;
    ASSERT_EQ(ours.width, reference[0].width) << kind.name;
    ASSERT_EQ(ours.height, reference[0].height) << kind.name;
    int worst = 0;
    for (size_t i = 0; i < ours.argb.size(); ++i) {
      for (int shift = 0; shift < 32; shift += 8) {
        int a = (ours.argb[i] >> shift) & 0xFF, b = (reference[0].argb[i] >> shift) & 0xFF;
        worst = std::max(worst, std::abs(a - b));
      }
    }
    EXPECT_LE(worst, kind.tolerance) << kind.name;
  }
}

TEST(PngDecoder, DamagedCutAndOversizedFilesAreRefused) {
  PngKind kind = pngKind(8, 6);
  const std::string good = testing_support::pngFile(kind, samplesFor(kind, 4));
  std::string damaged = good;
  damaged[damaged.size() - 30] ^= 0x5A;  // inside the pixel data: its checksum fails
  PngKind wide = pngKind(8, 0);
  wide.width = kMaxPngSide + 1;
  wide.height = 1;
  const struct {
    const char* name;
    std::string file;
  } cases[] = {
      {"damaged", damaged},
      {"cut in its pixels", good.substr(0, good.size() / 2)},
      {"only the signature", good.substr(0, 8)},
      {"no PNG", std::string("GIF89a") + good.substr(6)},
      {"wider than allowed", testing_support::pngFile(wide, std::vector<uint16_t>(kMaxPngSide + 1))},
      {"empty", ""},
  };
  DecodedPixels whole;
  ASSERT_TRUE(decodePng(reinterpret_cast<const uint8_t*>(good.data()), good.size(), whole));
  for (const auto& test : cases) {
    DecodedPixels out;
    EXPECT_FALSE(decodePng(reinterpret_cast<const uint8_t*>(test.file.data()), test.file.size(), out)) << test.name;
    EXPECT_TRUE(out.argb.empty()) << test.name;
  }
}

}  // namespace
}  // namespace DuiLib
