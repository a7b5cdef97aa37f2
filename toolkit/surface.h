// A 32-bit top-down DIB that a window paints into, seen through GDI and as
// pixels; and the composition of a layered window's picture from it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

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
  // Sets the pixels of `part` to `argb`.
  void clear(const RECT& part, uint32_t argb);
  HDC dc() const { return dc_; }
  // A paint pass over the whole surface, clipped to `clip`.
  PaintContext context(const RECT& clip, int scalePercent) const;
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
};

// The picture of a layered window: the shadow image around the content,
// drawn again only when the size, the image, the scale or the content's place
// changes, and the content laid over its middle, opaque, with rounded corners.
class LayeredPicture {
 public:
  // Draws the whole picture: `content`'s pixels inside `contentRect`, with
  // corners rounded by the ellipse `roundCorner` (pixels), over the shadow.
  void compose(const Surface& content, const std::wstring& shadowImage, const RECT& contentRect, SIZE roundCorner,
               int scalePercent);
  // Lays `part` of `content` over the picture again; the rest stays as it was
  // composed. `content` keeps the size it was composed with.
  void update(const Surface& content, const RECT& part);
  const Surface& surface() const { return picture_; }

 private:
  void layContent(const Surface& content, const RECT& part);
  void drawShadow(const std::wstring& image, int scalePercent);

  Surface shadow_;
  Surface picture_;
  std::wstring shadowImage_;
  int shadowScale_ = 0;
  RECT shadowContentRect_{};  // the content's place the shadow was drawn around
  RECT contentRect_{};
  double radiusX_ = 0;
  double radiusY_ = 0;
};

// Shows `picture` as the layered window's whole content; with `part`, only
// that part has changed since it was last shown.
bool presentLayered(HWND window, const Surface& picture, const RECT* part = nullptr);

}  // namespace DuiLib
