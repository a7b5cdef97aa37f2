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

}  // namespace testing_support
