// A 32-bit top-down DIB that a window paints into, seen through GDI and
// GDI+; and the composition of a layered window's picture from it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/gdiplus_include.h"
#include "toolkit/render.h"

namespace DuiLib {

class Surface {
 public:
  Surface() = default;
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Makes the surface `width` x `height` (kept when it already is); false on failure.
  bool resize(int width, int height);
  // Sets every pixel to `argb` (premultiplied).
  void clear(uint32_t argb);
  HDC dc() const { return dc_; }
  // A paint pass over the whole surface, clipped to `clip`.
  PaintContext context(const RECT& clip, int scalePercent) const;
  Gdiplus::Graphics* graphics() const { return graphics_.get(); }
  uint32_t* pixels() const { return pixels_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void release();

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<Gdiplus::Bitmap> wrapper_;
  std::unique_ptr<Gdiplus::Graphics> graphics_;
};

// Draws the picture of a layered window into `picture`: the shadow image over
// the whole surface, then `content`'s pixels inside `contentRect` made opaque,
// with corners rounded by the ellipse `roundCorner` (pixels).
void composeLayered(const Surface& content, Surface& picture, const std::wstring& shadowImage,
                    const RECT& contentRect, SIZE roundCorner, int scalePercent);

// Shows `picture` as the layered window's whole content.
bool presentLayered(HWND window, const Surface& picture);

}  // namespace DuiLib
