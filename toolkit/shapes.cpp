#include "toolkit/shapes.h"

#include <algorithm>
#include <cmath>

#include "toolkit/pixels.h"

namespace DuiLib {
namespace {

// A rectangle with rounded corners in surface coordinates.
struct RoundRect {
  float left, top, right, bottom, radius;
};

// How far (x, y) lies outside the shape's edge; negative inside.
float signedDistance(const RoundRect& shape, float x, float y) {
  const float halfWidth = (shape.right - shape.left) / 2, halfHeight = (shape.bottom - shape.top) / 2;
  const float radius = std::clamp(shape.radius, 0.0f, std::min(halfWidth, halfHeight));
  const float qx = std::fabs(x - (shape.left + halfWidth)) - (halfWidth - radius);
  const float qy = std::fabs(y - (shape.top + halfHeight)) - (halfHeight - radius);
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// The part of the pixel whose centre is (x, y) that the shape covers, 0 to 1.
float coverage(const RoundRect& shape, float x, float y) {
  return std::clamp(0.5f - signedDistance(shape, x, y), 0.0f, 1.0f);
}

// The pixels the shape may touch, inside the clip and the surface.
bool touchedPixels(const PaintContext& context, const RoundRect& shape, RECT& area) {
  const RECT bounds{static_cast<LONG>(std::floor(shape.left)), static_cast<LONG>(std::floor(shape.top)),
                    static_cast<LONG>(std::ceil(shape.right)) + 1, static_cast<LONG>(std::ceil(shape.bottom)) + 1};
  const RECT surface{0, 0, context.width, context.height};
  return context.pixels && IntersectRect(&area, &bounds, &context.clip) && IntersectRect(&area, &area, &surface);
}

// Blends `argb` over the pixels of `outer` that `inner` (when given) leaves free.
void paintShape(PaintContext& context, const RoundRect& outer, const RoundRect* inner, DWORD argb) {
  RECT area;
  if ((argb >> 24) == 0 || !touchedPixels(context, outer, area)) return;
  GdiFlush();
  for (int y = area.top; y < area.bottom; ++y) {
    uint32_t* row = context.pixels + static_cast<size_t>(y) * context.width;
    for (int x = area.left; x < area.right; ++x) {
      // Sampled at the pixel's centre: a frame on whole pixels stays crisp.
      const float centreX = x + 0.5f, centreY = y + 0.5f;
      float covered = coverage(outer, centreX, centreY);
      if (inner && covered > 0) covered -= coverage(*inner, centreX, centreY);
      const auto level = static_cast<uint32_t>(std::lround(std::clamp(covered, 0.0f, 1.0f) * 255));
      if (level > 0) row[x] = blendPixel(premultiplied(argb, level), row[x]);
    }
  }
}

}  // namespace

void blendFill(PaintContext& context, const RECT& rect, DWORD argb) {
  const RECT surface{0, 0, context.width, context.height};
  RECT area;
  if ((argb >> 24) == 0 || !context.pixels || !IntersectRect(&area, &rect, &context.clip) ||
      !IntersectRect(&area, &area, &surface)) {
    return;
  }
  GdiFlush();
  const uint32_t over = premultiplied(argb, 255);
  for (int y = area.top; y < area.bottom; ++y) {
    uint32_t* row = context.pixels + static_cast<size_t>(y) * context.width;
    for (int x = area.left; x < area.right; ++x) row[x] = blendPixel(over, row[x]);
  }
}

void fillRoundRect(PaintContext& context, float left, float top, float right, float bottom, float radius,
                   DWORD argb) {
  paintShape(context, {left, top, right, bottom, radius}, nullptr, argb);
}

void drawRoundFrame(PaintContext& context, const RECT& rect, DWORD argb, int width, int radius) {
  if (width <= 0) return;
  // The frame's middle line runs half its width inside `rect`, rounded by
  // `radius` where the rectangle leaves room for it.
  const float half = width / 2.0f;
  const float middleWidth = rect.right - rect.left - 2 * half, middleHeight = rect.bottom - rect.top - 2 * half;
  const float middleRadius = std::min({static_cast<float>(radius), middleWidth / 2, middleHeight / 2});
  if (middleRadius < 0) return;
  const RoundRect outer{static_cast<float>(rect.left), static_cast<float>(rect.top),
                        static_cast<float>(rect.right), static_cast<float>(rect.bottom), middleRadius + half};
  const RoundRect inner{outer.left + width, outer.top + width, outer.right - width, outer.bottom - width,
                        std::max(middleRadius - half, 0.0f)};
  paintShape(context, outer, &inner, argb);
}

}  // namespace DuiLib
