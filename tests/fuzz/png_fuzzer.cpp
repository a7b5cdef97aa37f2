// Skin images take bytes (a loose "skin" folder overrides the embedded ones):
// any bytes go through the PNG decoder as the image store hands them over.
#include <cstddef>
#include <cstdint>

#include "toolkit/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DuiLib::DecodedPixels pixels;
  DuiLib::decodePng(data, size, pixels);
  return 0;
}
