// The images that only GDI+ reads: GIF animations and any skin image that is
// not a PNG (a BMP, say). GDI+ (and the imaging codecs it loads) starts at
// the first such image, never for a window whose pictures are all PNG
// (toolkit/png_decoder.h). UI thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/png_decoder.h"

namespace DuiLib {

// Starts GDI+ for the process; later calls do nothing.
void startGdiplus();

// Every frame of the image in `data` (one for a still image), straight
// alpha, and each frame's delay in milliseconds. False when GDI+ cannot
// read it.
bool decodeWithGdiplus(const uint8_t* data, uint32_t size, std::vector<DecodedPixels>& frames,
                       std::vector<UINT>& delaysMs);

}  // namespace DuiLib
