#include "toolkit/surface.h"

#include <algorithm>
#include <cmath>

#include "toolkit/render.h"

namespace DuiLib {

Surface::~Surface() { release(); }

void Surface::release() {
  if (dc_) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  pixels_ = nullptr;
  width_ = height_ = 0;
}

bool Surface::resize(int width, int height) {
  if (width == width_ && height == height_ && dc_) return true;
  release();
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = dc_ ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!bitmap_ || !bits) {
    release();
    return false;
  }
  oldBitmap_ = SelectObject(dc_, bitmap_);
  pixels_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

PaintContext Surface::context(const RECT& clip, int scalePercent) const {
  PaintContext context;
  context.hdc = dc_;
  context.clip = clip;
  context.scalePercent = scalePercent;
  context.pixels = pixels_;
  context.width = width_;
  context.height = height_;
  return context;
}

void Surface::clear(uint32_t argb) {
  GdiFlush();
  if (pixels_) std::fill(pixels_, pixels_ + static_cast<size_t>(width_) * height_, argb);
}

void Surface::clear(const RECT& part, uint32_t argb) {
  RECT whole{0, 0, width_, height_};
  RECT area;
  if (!pixels_ || !IntersectRect(&area, &part, &whole)) return;
  GdiFlush();
  for (int y = area.top; y < area.bottom; ++y) {
    uint32_t* row = pixels_ + static_cast<size_t>(y) * width_;
    std::fill(row + area.left, row + area.right, argb);
  }
}

namespace {

// How much of pixel (x, y) lies inside the rounded rectangle, 0..256, sampled 4 x 4.
int cornerCoverage(const RECT& rect, double rx, double ry, int x, int y) {
  double cx = x < rect.left + rx ? rect.left + rx : (x >= rect.right - rx ? rect.right - rx : -1);
  double cy = y < rect.top + ry ? rect.top + ry : (y >= rect.bottom - ry ? rect.bottom - ry : -1);
  if (cx < 0 || cy < 0) return 256;
  int inside = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      double dx = (x + (sx + 0.5) / 4 - cx) / rx;
      double dy = (y + (sy + 0.5) / 4 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) ++inside;
    }
  }
  return inside * 16;
}

uint32_t blend(uint32_t over, uint32_t under, int coverage) {
  if (coverage >= 256) return over;
  if (coverage <= 0) return under;
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t a = (over >> shift) & 0xFF;
    uint32_t b = (under >> shift) & 0xFF;
    result |= ((a * coverage + b * (256 - coverage)) >> 8) << shift;
  }
  return result;
}

}  // namespace

void LayeredPicture::compose(const Surface& content, const std::wstring& shadowImage, const RECT& contentRect,
                             SIZE roundCorner, int scalePercent) {
  const int width = content.width(), height = content.height();
  if (!picture_.resize(width, height)) return;
  contentRect_ = contentRect;
  radiusX_ = roundCorner.cx / 2.0;
  radiusY_ = roundCorner.cy / 2.0;
  if (shadow_.width() != width || shadow_.height() != height || shadowImage != shadowImage_ ||
      scalePercent != shadowScale_ || !EqualRect(&contentRect, &shadowContentRect_)) {
    if (!shadow_.resize(width, height)) return;
    drawShadow(shadowImage, scalePercent);
  }
  GdiFlush();
  std::copy(shadow_.pixels(), shadow_.pixels() + static_cast<size_t>(width) * height, picture_.pixels());
  layContent(content, contentRect);
}

// Only where the shadow can show: outside the content and under its rounded
// corners. The opaque content hides the rest, so it is left clear; stretching
// the image's middle over the whole window would cost most of the first frame.
void LayeredPicture::drawShadow(const std::wstring& image, int scalePercent) {
  const int width = shadow_.width(), height = shadow_.height();
  shadow_.clear(0);
  const int cornerX = static_cast<int>(std::ceil(radiusX_));
  const int cornerY = static_cast<int>(std::ceil(radiusY_));
  const LONG top = std::clamp<LONG>(contentRect_.top + cornerY, 0, height);
  const LONG bottom = std::clamp<LONG>(contentRect_.bottom - cornerY, top, height);
  const RECT strips[] = {
      {0, 0, width, top},
      {0, bottom, width, height},
      {0, top, std::clamp<LONG>(contentRect_.left + cornerX, 0, width), bottom},
      {std::clamp<LONG>(contentRect_.right - cornerX, 0, width), top, width, bottom},
  };
  const RECT whole{0, 0, width, height};
  for (const RECT& strip : strips) {
    if (IsRectEmpty(&strip)) continue;
    PaintContext context = shadow_.context(strip, scalePercent);
    drawImage(context, whole, image);
  }
  GdiFlush();
  shadowImage_ = image;
  shadowScale_ = scalePercent;
  shadowContentRect_ = contentRect_;
}

void LayeredPicture::update(const Surface& content, const RECT& part) {
  if (content.width() != picture_.width() || content.height() != picture_.height()) return;
  GdiFlush();
  layContent(content, part);
}

void LayeredPicture::layContent(const Surface& content, const RECT& part) {
  RECT whole{0, 0, picture_.width(), picture_.height()};
  RECT area;
  if (!IntersectRect(&area, &part, &contentRect_) || !IntersectRect(&area, &area, &whole)) return;
  bool rounded = radiusX_ >= 1.0 && radiusY_ >= 1.0;
  for (int y = area.top; y < area.bottom; ++y) {
    const size_t row = static_cast<size_t>(y) * picture_.width();
    const uint32_t* from = content.pixels() + row;
    const uint32_t* shadow = shadow_.pixels() + row;
    uint32_t* to = picture_.pixels() + row;
    // Only the rows of the rounded corners need their coverage worked out.
    const bool cornerRow = rounded && (y < contentRect_.top + radiusY_ || y >= contentRect_.bottom - radiusY_);
    for (int x = area.left; x < area.right; ++x) {
      // GDI leaves the alpha byte undefined: the content is opaque by design.
      uint32_t pixel = from[x] | 0xFF000000u;
      to[x] = cornerRow ? blend(pixel, shadow[x], cornerCoverage(contentRect_, radiusX_, radiusY_, x, y)) : pixel;
    }
  }
}

bool presentLayered(HWND window, const Surface& picture, const RECT* part) {
  if (!picture.dc()) return false;
  SIZE size{picture.width(), picture.height()};
  POINT source{0, 0};
  BLENDFUNCTION blendFunction{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiFlush();
  if (part) {
    // Only the changed part goes to the screen. Looked up by name: Windows XP
    // lacks it, and the program must load there to refuse it.
    using UpdateIndirect = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
    static const auto updateIndirect = reinterpret_cast<UpdateIndirect>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindowIndirect")));
    UPDATELAYEREDWINDOWINFO info{sizeof(info), nullptr, nullptr,        &size, picture.dc(), &source, 0,
                                 &blendFunction, ULW_ALPHA, part};
    if (updateIndirect && updateIndirect(window, &info)) return true;
  }
  RECT bounds;
  GetWindowRect(window, &bounds);
  POINT origin{bounds.left, bounds.top};
  return UpdateLayeredWindow(window, nullptr, &origin, &size, picture.dc(), &source, 0, &blendFunction,
                             ULW_ALPHA) != FALSE;
}

}  // namespace DuiLib
