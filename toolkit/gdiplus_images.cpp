#include "toolkit/gdiplus_images.h"

#include <objbase.h>

#include <cstring>
#include <memory>

#include "toolkit/gdiplus_include.h"
#include "utility/log.h"

namespace DuiLib {
namespace {

// A stream over a copy of the bytes. CreateStreamOnHGlobal rather than
// SHCreateMemStream, which Windows XP does not export by name: the program
// must load there to show its refusal.
IStream* memoryStream(const uint8_t* data, uint32_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  if (void* target = GlobalLock(memory)) {
    memcpy(target, data, size);
    GlobalUnlock(memory);
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

std::unique_ptr<Gdiplus::Bitmap> decode(const uint8_t* data, uint32_t size) {
  IStream* stream = memoryStream(data, size);
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) bitmap.reset();
  return bitmap;
}

// The active frame of `source` as straight-alpha 0xAARRGGBB pixels.
bool copyFrame(Gdiplus::Bitmap& source, DecodedPixels& frame) {
  frame.width = static_cast<int>(source.GetWidth());
  frame.height = static_cast<int>(source.GetHeight());
  if (frame.width <= 0 || frame.height <= 0) return false;
  frame.argb.resize(static_cast<size_t>(frame.width) * frame.height);
  Gdiplus::BitmapData data{};
  data.Width = frame.width;
  data.Height = frame.height;
  data.Stride = frame.width * 4;
  data.PixelFormat = PixelFormat32bppARGB;
  data.Scan0 = frame.argb.data();
  Gdiplus::Rect whole(0, 0, frame.width, frame.height);
  if (source.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                      PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return false;
  }
  source.UnlockBits(&data);
  return true;
}

std::vector<UINT> frameDelays(Gdiplus::Bitmap& bitmap, UINT frames) {
  std::vector<UINT> delays(frames, 100);
  UINT size = bitmap.GetPropertyItemSize(PropertyTagFrameDelay);
  if (size == 0) return delays;
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
  if (bitmap.GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok) return delays;
  const auto* values = static_cast<const LONG*>(item->value);
  UINT count = item->length / sizeof(LONG);
  for (UINT i = 0; i < frames && i < count; ++i) {
    // Hundredths of a second; browsers treat very short delays as 100 ms too.
    delays[i] = values[i] > 1 ? static_cast<UINT>(values[i]) * 10 : 100;
  }
  return delays;
}

}  // namespace

void startGdiplus() {
  static ULONG_PTR token = 0;
  if (token) return;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    LOG(L"gdiplus startup failed");
    token = 0;
  }
}

bool decodeWithGdiplus(const uint8_t* data, uint32_t size, std::vector<DecodedPixels>& frames,
                       std::vector<UINT>& delaysMs) {
  frames.clear();
  delaysMs.clear();
  startGdiplus();
  std::unique_ptr<Gdiplus::Bitmap> bitmap = decode(data, size);
  if (!bitmap) return false;
  GUID dimension = Gdiplus::FrameDimensionTime;
  UINT count = bitmap->GetFrameCount(&dimension);
  if (count == 0) count = 1;
  delaysMs = frameDelays(*bitmap, count);
  for (UINT i = 0; i < count; ++i) {
    if (count > 1) bitmap->SelectActiveFrame(&dimension, i);
    DecodedPixels frame;
    if (!copyFrame(*bitmap, frame)) break;
    frames.push_back(std::move(frame));
  }
  delaysMs.resize(frames.size());
  return !frames.empty();
}

}  // namespace DuiLib
