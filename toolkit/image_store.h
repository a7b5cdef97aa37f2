// Decoded skin images, read through the resource map and kept for the life of
// the process, so each file is decoded once: PNG files by our own decoder
// (toolkit/png_decoder.h), anything else by GDI+ (toolkit/gdiplus_images.h).
// UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DuiLib {

struct SkinImage {
  int width = 0;   // in image pixels
  int height = 0;
  int density = 1;  // image pixels per layout pixel: 2 for an "@2x" file
  std::vector<uint32_t> pixels;  // premultiplied BGRA, top-down rows
};

struct SkinAnimation {
  std::vector<std::unique_ptr<SkinImage>> frames;
  std::vector<UINT> delaysMs;  // one per frame
};

// The image `file` with `mask` (when `hasMask`) drawn transparent. When
// `highDensity`, the file's "@2x" sibling is preferred if it exists. Null when
// neither the skin nor the disk has a decodable file (logged once per name).
const SkinImage* loadSkinImage(const std::wstring& file, bool hasMask, DWORD mask, bool highDensity);

// Every frame of an animated image (a still image gives one frame); with
// `highDensity` from the "@2x" sibling when there is one. Null when the file
// is missing or undecodable.
const SkinAnimation* loadSkinAnimation(const std::wstring& file, bool highDensity = false);

// "dir/name@2x.png" for "dir/name.png".
std::wstring highDensityName(const std::wstring& file);

}  // namespace DuiLib
