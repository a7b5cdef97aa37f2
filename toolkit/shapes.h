// Shapes drawn into a surface's pixels by the toolkit itself, without GDI+:
// translucent fills and smoothly edged rounded rectangles (the focus mark,
// scroll thumbs). Edges are smoothed by how far each pixel's centre lies from
// them, so a frame on whole pixels stays crisp.
#pragma once
#include <windows.h>

#include "toolkit/render.h"

namespace DuiLib {

// Lays a straight-alpha ARGB colour over `rect` (clipped).
void blendFill(PaintContext& context, const RECT& rect, DWORD argb);

// Fills the rectangle from (left, top) to (right, bottom) with corners
// rounded by `radius` pixels, its edges smoothed.
void fillRoundRect(PaintContext& context, float left, float top, float right, float bottom, float radius,
                   DWORD argb);

// A frame `width` pixels wide just inside `rect`, its corners rounded by
// about `radius` pixels along the frame's middle, drawn smoothly.
void drawRoundFrame(PaintContext& context, const RECT& rect, DWORD argb, int width, int radius);

}  // namespace DuiLib
