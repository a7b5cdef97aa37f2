#include "toolkit/image_store.h"

#include <objbase.h>

#include <cstring>
#include <map>
#include <set>

#include "skin/resource_map.h"
#include "toolkit/gdiplus_include.h"
#include "utility/file_handle.h"
#include "utility/log.h"

namespace DuiLib {
namespace {

struct Bytes {
  std::unique_ptr<uint8_t[]> data;
  uint32_t size = 0;
};

// The skin's copy first; failing that, the name as a plain file path.
Bytes readImageBytes(const std::wstring& file) {
  Bytes bytes;
  bytes.data = loadResourceData(file, bytes.size);
  if (bytes.data && bytes.size > 0) return bytes;
  utility::FileHandle handle;
  if (!handle.openForRead(file)) return {};
  if (handle.size() > 0 && handle.size() <= (64u << 20)) {
    auto data = std::make_unique<uint8_t[]>(handle.size());
    if (handle.read(data.get(), handle.size()) == handle.size()) {
      bytes.data = std::move(data);
      bytes.size = handle.size();
    }
  }
  handle.close();
  return bytes;
}

// A stream over a copy of the bytes. CreateStreamOnHGlobal rather than
// SHCreateMemStream, which Windows XP does not export by name: the program
// must load there to show its refusal.
IStream* memoryStream(const Bytes& bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size);
  if (!memory) return nullptr;
  if (void* target = GlobalLock(memory)) {
    memcpy(target, bytes.data.get(), bytes.size);
    GlobalUnlock(memory);
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

std::unique_ptr<Gdiplus::Bitmap> decode(const Bytes& bytes) {
  IStream* stream = memoryStream(bytes);
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) bitmap.reset();
  return bitmap;
}

// Copies the active frame of `source` as premultiplied pixels, clearing the mask colour.
std::unique_ptr<SkinImage> copyFrame(Gdiplus::Bitmap& source, bool hasMask, DWORD mask) {
  auto image = std::make_unique<SkinImage>();
  image->width = static_cast<int>(source.GetWidth());
  image->height = static_cast<int>(source.GetHeight());
  if (image->width <= 0 || image->height <= 0) return nullptr;
  image->pixels.resize(static_cast<size_t>(image->width) * image->height);
  Gdiplus::BitmapData data{};
  data.Width = image->width;
  data.Height = image->height;
  data.Stride = image->width * 4;
  data.PixelFormat = PixelFormat32bppARGB;
  data.Scan0 = image->pixels.data();
  Gdiplus::Rect whole(0, 0, image->width, image->height);
  if (source.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                      PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return nullptr;
  }
  source.UnlockBits(&data);
  for (uint32_t& pixel : image->pixels) {
    if (hasMask && (pixel & 0x00FFFFFF) == (mask & 0x00FFFFFF)) {
      pixel = 0;
      continue;
    }
    uint32_t alpha = pixel >> 24;
    if (alpha == 255) continue;
    uint32_t r = ((pixel >> 16) & 0xFF) * alpha / 255;
    uint32_t g = ((pixel >> 8) & 0xFF) * alpha / 255;
    uint32_t b = (pixel & 0xFF) * alpha / 255;
    pixel = (alpha << 24) | (r << 16) | (g << 8) | b;
  }
  return image;
}

void logMissingOnce(const std::wstring& file) {
  static auto* reported = new std::set<std::wstring>();
  if (reported->insert(file).second) LOG(L"image missing: %s", file.c_str());
}

std::unique_ptr<SkinImage> decodeStill(const std::wstring& file, bool hasMask, DWORD mask) {
  Bytes bytes = readImageBytes(file);
  if (!bytes.data) return nullptr;
  auto bitmap = decode(bytes);
  return bitmap ? copyFrame(*bitmap, hasMask, mask) : nullptr;
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

std::unique_ptr<SkinAnimation> decodeAnimation(const std::wstring& file) {
  Bytes bytes = readImageBytes(file);
  std::unique_ptr<Gdiplus::Bitmap> bitmap = bytes.data ? decode(bytes) : nullptr;
  if (!bitmap) return nullptr;
  GUID dimension = Gdiplus::FrameDimensionTime;
  UINT frames = bitmap->GetFrameCount(&dimension);
  if (frames == 0) frames = 1;
  auto animation = std::make_unique<SkinAnimation>();
  animation->delaysMs = frameDelays(*bitmap, frames);
  for (UINT i = 0; i < frames; ++i) {
    if (frames > 1) bitmap->SelectActiveFrame(&dimension, i);
    auto frame = copyFrame(*bitmap, false, 0);
    if (!frame) break;
    animation->frames.push_back(std::move(frame));
  }
  animation->delaysMs.resize(animation->frames.size());
  if (animation->frames.empty()) return nullptr;
  return animation;
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

std::wstring highDensityName(const std::wstring& file) {
  size_t dot = file.find_last_of(L'.');
  size_t slash = file.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return file + L"@2x";
  return file.substr(0, dot) + L"@2x" + file.substr(dot);
}

const SkinImage* loadSkinImage(const std::wstring& file, bool hasMask, DWORD mask, bool highDensity) {
  if (file.empty()) return nullptr;
  startGdiplus();
  // Never freed: images live as long as the process, like the resource map.
  static auto* cache = new std::map<std::wstring, std::unique_ptr<SkinImage>>();
  std::wstring key = file + L'|' + (hasMask ? std::to_wstring(mask) : L"") + (highDensity ? L"|2x" : L"");
  auto found = cache->find(key);
  if (found != cache->end()) return found->second.get();

  std::unique_ptr<SkinImage> image;
  if (highDensity) {
    image = decodeStill(highDensityName(file), hasMask, mask);
    if (image) image->density = 2;
  }
  if (!image) image = decodeStill(file, hasMask, mask);
  if (!image) logMissingOnce(file);
  const SkinImage* result = image.get();
  (*cache)[key] = std::move(image);
  return result;
}

const SkinAnimation* loadSkinAnimation(const std::wstring& file, bool highDensity) {
  if (file.empty()) return nullptr;
  startGdiplus();
  static auto* cache = new std::map<std::wstring, std::unique_ptr<SkinAnimation>>();
  std::wstring key = file + (highDensity ? L"|2x" : L"");
  auto found = cache->find(key);
  if (found != cache->end()) return found->second.get();

  std::unique_ptr<SkinAnimation> animation;
  if (highDensity) animation = decodeAnimation(highDensityName(file));
  if (!animation) animation = decodeAnimation(file);
  if (!animation) logMissingOnce(file);
  const SkinAnimation* result = animation.get();
  (*cache)[key] = std::move(animation);
  return result;
}

}  // namespace DuiLib
