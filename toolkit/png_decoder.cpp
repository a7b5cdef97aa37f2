#include "toolkit/png_decoder.h"

#include <spng.h>

#include <cstring>
#include <memory>
#include <new>

namespace DuiLib {
namespace {

// Text, colour profiles and the other ancillary chunks are never used; they
// may not make a file cost more memory than its pixels could.
constexpr size_t kMaxChunkBytes = 1u << 20;
constexpr size_t kMaxChunkCacheBytes = 4u << 20;

struct ContextFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

// libspng's RGBA8 is the bytes R, G, B, A: the little-endian word 0xAABBGGRR.
uint32_t argbFromRgbaBytes(uint32_t rgba) {
  return (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu);
}

bool decodeInto(spng_ctx* context, DecodedPixels& image) {
  if (spng_set_image_limits(context, kMaxPngSide, kMaxPngSide) != 0 ||
      spng_set_chunk_limits(context, kMaxChunkBytes, kMaxChunkCacheBytes) != 0) {
    return false;
  }
  spng_ihdr header{};
  size_t bytes = 0;
  if (spng_get_ihdr(context, &header) != 0 || spng_decoded_image_size(context, SPNG_FMT_RGBA8, &bytes) != 0 ||
      bytes != static_cast<size_t>(header.width) * header.height * 4) {
    return false;
  }
  image.width = static_cast<int>(header.width);
  image.height = static_cast<int>(header.height);
  image.argb.resize(bytes / 4);
  if (spng_decode_image(context, image.argb.data(), bytes, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) return false;
  for (uint32_t& pixel : image.argb) pixel = argbFromRgbaBytes(pixel);
  return true;
}

}  // namespace

bool isPngData(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return data && size >= sizeof(kSignature) && memcmp(data, kSignature, sizeof(kSignature)) == 0;
}

bool decodePng(const uint8_t* data, size_t size, DecodedPixels& out) {
  out = {};
  if (!isPngData(data, size)) return false;
  Context context(spng_ctx_new(0));
  if (!context || spng_set_png_buffer(context.get(), data, size) != 0) return false;
  DecodedPixels image;
  try {
    if (!decodeInto(context.get(), image)) return false;
  } catch (const std::bad_alloc&) {
    return false;  // the largest image allowed takes 64 MiB
  }
  out = std::move(image);
  return true;
}

}  // namespace DuiLib
