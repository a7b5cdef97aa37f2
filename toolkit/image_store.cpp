#include "toolkit/image_store.h"

#include <map>
#include <set>

#include "skin/resource_map.h"
#include "toolkit/gdiplus_images.h"
#include "toolkit/png_decoder.h"
#include "utility/file_handle.h"
#include "utility/log.h"
#include "utility/number_text.h"

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

// Straight-alpha pixels as the toolkit draws them: premultiplied, with the
// mask colour cleared.
std::unique_ptr<SkinImage> toSkinImage(DecodedPixels& decoded, bool hasMask, DWORD mask) {
  if (decoded.width <= 0 || decoded.height <= 0) return nullptr;
  auto image = std::make_unique<SkinImage>();
  image->width = decoded.width;
  image->height = decoded.height;
  image->pixels = std::move(decoded.argb);
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

// Every frame of the file, each frame's delay, or false. A PNG never needs GDI+.
bool decodeFrames(const std::wstring& file, std::vector<DecodedPixels>& frames, std::vector<UINT>& delaysMs) {
  Bytes bytes = readImageBytes(file);
  if (!bytes.data) return false;
  if (isPngData(bytes.data.get(), bytes.size)) {
    frames.resize(1);
    delaysMs.assign(1, 100);
    return decodePng(bytes.data.get(), bytes.size, frames[0]);
  }
  return decodeWithGdiplus(bytes.data.get(), bytes.size, frames, delaysMs);
}

void logMissingOnce(const std::wstring& file) {
  static auto* reported = new std::set<std::wstring>();
  if (reported->insert(file).second) LOG(L"image missing: %s", file.c_str());
}

std::unique_ptr<SkinImage> decodeStill(const std::wstring& file, bool hasMask, DWORD mask) {
  std::vector<DecodedPixels> frames;
  std::vector<UINT> delaysMs;
  if (!decodeFrames(file, frames, delaysMs)) return nullptr;
  return toSkinImage(frames[0], hasMask, mask);
}

std::unique_ptr<SkinAnimation> decodeAnimation(const std::wstring& file) {
  std::vector<DecodedPixels> frames;
  auto animation = std::make_unique<SkinAnimation>();
  if (!decodeFrames(file, frames, animation->delaysMs)) return nullptr;
  for (DecodedPixels& decoded : frames) {
    auto frame = toSkinImage(decoded, false, 0);
    if (!frame) break;
    animation->frames.push_back(std::move(frame));
  }
  animation->delaysMs.resize(animation->frames.size());
  if (animation->frames.empty()) return nullptr;
  return animation;
}

}  // namespace

std::wstring highDensityName(const std::wstring& file) {
  size_t dot = file.find_last_of(L'.');
  size_t slash = file.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return file + L"@2x";
  return file.substr(0, dot) + L"@2x" + file.substr(dot);
}

const SkinImage* loadSkinImage(const std::wstring& file, bool hasMask, DWORD mask, bool highDensity) {
  if (file.empty()) return nullptr;
  // Never freed: images live as long as the process, like the resource map.
  static auto* cache = new std::map<std::wstring, std::unique_ptr<SkinImage>>();
  std::wstring key = file + L'|' + (hasMask ? utility::decimalText(mask) : L"") + (highDensity ? L"|2x" : L"");
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
