#include "toolkit/surface.h"

#include <algorithm>
#include <cmath>

#include "toolkit/image_store.h"
#include "toolkit/render.h"

namespace DuiLib {

Surface::~Surface() { release(); }

void Surface::release() {
  graphics_.reset();
  wrapper_.reset();
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
  startGdiplus();
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
  wrapper_ = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                               reinterpret_cast<BYTE*>(pixels_));
  graphics_ = std::make_unique<Gdiplus::Graphics>(wrapper_.get());
  return true;
}

PaintContext Surface::context(const RECT& clip, int scalePercent) const {
  PaintContext context;
  context.hdc = dc_;
  context.graphics = graphics_.get();
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

void composeLayered(const Surface& content, Surface& picture, const std::wstring& shadowImage,
                    const RECT& contentRect, SIZE roundCorner, int scalePercent) {
  if (!picture.resize(content.width(), content.height())) return;
  picture.clear(0);
  RECT whole{0, 0, content.width(), content.height()};
  RECT area;
  if (!IntersectRect(&area, &contentRect, &whole)) area = {0, 0, 0, 0};
  double rx = roundCorner.cx / 2.0;
  double ry = roundCorner.cy / 2.0;
  // The content covers the shadow's middle: draw only the strips around it
  // (wide enough to show under the rounded corners).
  RECT hidden = area;
  InflateRect(&hidden, -static_cast<int>(rx + 1), -static_cast<int>(ry + 1));
  if (IsRectEmpty(&hidden)) hidden = {0, 0, 0, 0};
  const RECT strips[] = {{0, 0, whole.right, hidden.top},
                         {0, hidden.bottom, whole.right, whole.bottom},
                         {0, hidden.top, hidden.left, hidden.bottom},
                         {hidden.right, hidden.top, whole.right, hidden.bottom}};
  for (const RECT& strip : strips) {
    if (IsRectEmpty(&strip)) continue;
    PaintContext context = picture.context(strip, scalePercent);
    drawImage(context, whole, shadowImage);
  }
  GdiFlush();
  if (IsRectEmpty(&area)) return;
  bool rounded = rx >= 1.0 && ry >= 1.0;
  for (int y = area.top; y < area.bottom; ++y) {
    const uint32_t* from = content.pixels() + static_cast<size_t>(y) * content.width();
    uint32_t* to = picture.pixels() + static_cast<size_t>(y) * picture.width();
    for (int x = area.left; x < area.right; ++x) {
      // GDI leaves the alpha byte undefined: the content is opaque by design.
      uint32_t pixel = from[x] | 0xFF000000u;
      to[x] = rounded ? blend(pixel, to[x], cornerCoverage(contentRect, rx, ry, x, y)) : pixel;
    }
  }
}

bool presentLayered(HWND window, const Surface& picture) {
  if (!picture.dc()) return false;
  RECT bounds;
  GetWindowRect(window, &bounds);
  POINT origin{bounds.left, bounds.top};
  SIZE size{picture.width(), picture.height()};
  POINT source{0, 0};
  BLENDFUNCTION blendFunction{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiFlush();
  return UpdateLayeredWindow(window, nullptr, &origin, &size, picture.dc(), &source, 0, &blendFunction,
                             ULW_ALPHA) != FALSE;
}

}  // namespace DuiLib
