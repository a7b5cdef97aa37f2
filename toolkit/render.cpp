#include "toolkit/render.h"

#include <algorithm>
#include <map>

#include "skin/language_table.h"
#include "toolkit/dpi.h"
#include "toolkit/image_store.h"
#include "toolkit/pixels.h"
#include "toolkit/right_to_left_text.h"
#include "toolkit/shapes.h"

namespace DuiLib {
namespace {

constexpr wchar_t kNoBreakSpace = 0x00A0;

COLORREF toColorRef(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

// One of the three bands of a nine-grid along an axis.
struct Band {
  int source;
  int sourceLength;
  int dest;
  int destLength;
};

// Splits source [s, s+sl) and dest [d, d+dl) into before/middle/after bands.
void splitBands(int s, int sl, int d, int dl, int sourceBefore, int sourceAfter, int destBefore,
                int destAfter, Band bands[3]) {
  if (destBefore + destAfter > dl) {  // too small for its borders: shrink them evenly
    int total = destBefore + destAfter;
    destBefore = total > 0 ? MulDiv(destBefore, dl, total) : 0;
    destAfter = dl - destBefore;
  }
  bands[0] = {s, sourceBefore, d, destBefore};
  bands[1] = {s + sourceBefore, sl - sourceBefore - sourceAfter, d + destBefore, dl - destBefore - destAfter};
  bands[2] = {s + sl - sourceAfter, sourceAfter, d + dl - destAfter, destAfter};
}

// Left-to-right text; right_to_left_text.h lays out the other direction.
UINT drawTextFlags(const TextStyle& style) {
  UINT flags = style.align | DT_NOPREFIX;
  if (style.multiline) {
    flags |= DT_WORDBREAK | DT_EDITCONTROL;
  } else {
    flags |= DT_SINGLELINE | style.valign;
    if (style.endEllipsis) flags |= DT_END_ELLIPSIS;
  }
  return flags;
}

// One premultiplied pixel as four channels.
struct Color4 {
  float b = 0, g = 0, r = 0, a = 0;
};

Color4 unpack(uint32_t pixel) {
  return {static_cast<float>(pixel & 0xFF), static_cast<float>((pixel >> 8) & 0xFF),
          static_cast<float>((pixel >> 16) & 0xFF), static_cast<float>(pixel >> 24)};
}

// Bilinear sample at (x, y) in image pixels, kept inside `part`.
Color4 sample(const SkinImage& image, const RECT& part, float x, float y) {
  x = std::clamp(x, static_cast<float>(part.left), static_cast<float>(part.right - 1));
  y = std::clamp(y, static_cast<float>(part.top), static_cast<float>(part.bottom - 1));
  int x0 = static_cast<int>(x);
  int y0 = static_cast<int>(y);
  int x1 = std::min<int>(x0 + 1, part.right - 1);
  int y1 = std::min<int>(y0 + 1, part.bottom - 1);
  float fx = x - x0;
  float fy = y - y0;
  const uint32_t* row0 = image.pixels.data() + static_cast<size_t>(y0) * image.width;
  const uint32_t* row1 = image.pixels.data() + static_cast<size_t>(y1) * image.width;
  Color4 p00 = unpack(row0[x0]), p10 = unpack(row0[x1]), p01 = unpack(row1[x0]), p11 = unpack(row1[x1]);
  auto mix = [&](float Color4::*channel) {
    float top = p00.*channel + (p10.*channel - p00.*channel) * fx;
    float bottom = p01.*channel + (p11.*channel - p01.*channel) * fx;
    return top + (bottom - top) * fy;
  };
  return {mix(&Color4::b), mix(&Color4::g), mix(&Color4::r), mix(&Color4::a)};
}

// An unscaled part at full opacity: each image pixel lands on one surface
// pixel, so no sampling is needed.
void blendUnscaled(PaintContext& context, const SkinImage& image, const RECT& source, const RECT& dest,
                   const RECT& visible) {
  for (int y = visible.top; y < visible.bottom; ++y) {
    const uint32_t* in = image.pixels.data() + static_cast<size_t>(source.top + y - dest.top) * image.width +
                         (source.left + visible.left - dest.left);
    uint32_t* out = context.pixels + static_cast<size_t>(y) * context.width + visible.left;
    for (int x = 0; x < visible.right - visible.left; ++x) {
      uint32_t pixel = in[x];
      uint32_t alpha = pixel >> 24;
      if (alpha == 255) {
        out[x] = pixel;
      } else if (alpha != 0) {
        out[x] = blendPixel(pixel, out[x]);
      }
    }
  }
}

}  // namespace

void blendImagePart(PaintContext& context, const SkinImage& image, const RECT& source, const RECT& dest, int fade) {
  if (!context.pixels) return;
  RECT surface{0, 0, context.width, context.height};
  RECT visible;
  if (!IntersectRect(&visible, &dest, &context.clip) || !IntersectRect(&visible, &visible, &surface)) return;
  GdiFlush();
  if (fade == 255 && source.right - source.left == dest.right - dest.left &&
      source.bottom - source.top == dest.bottom - dest.top) {
    blendUnscaled(context, image, source, dest, visible);
    return;
  }
  const float stepX = static_cast<float>(source.right - source.left) / (dest.right - dest.left);
  const float stepY = static_cast<float>(source.bottom - source.top) / (dest.bottom - dest.top);
  // Shrinking takes four samples per pixel, so thin lines do not vanish.
  const bool shrink = stepX > 1.01f || stepY > 1.01f;
  const float opacity = fade / 255.0f;
  for (int y = visible.top; y < visible.bottom; ++y) {
    uint32_t* out = context.pixels + static_cast<size_t>(y) * context.width;
    float sy = source.top + (y - dest.top + 0.5f) * stepY - 0.5f;
    for (int x = visible.left; x < visible.right; ++x) {
      float sx = source.left + (x - dest.left + 0.5f) * stepX - 0.5f;
      Color4 c;
      if (shrink) {
        float dx = stepX / 4, dy = stepY / 4;
        Color4 s1 = sample(image, source, sx - dx, sy - dy), s2 = sample(image, source, sx + dx, sy - dy);
        Color4 s3 = sample(image, source, sx - dx, sy + dy), s4 = sample(image, source, sx + dx, sy + dy);
        c = {(s1.b + s2.b + s3.b + s4.b) / 4, (s1.g + s2.g + s3.g + s4.g) / 4, (s1.r + s2.r + s3.r + s4.r) / 4,
             (s1.a + s2.a + s3.a + s4.a) / 4};
      } else {
        c = sample(image, source, sx, sy);
      }
      if (c.a <= 0.0f) continue;
      float keep = 1.0f - c.a * opacity / 255.0f;
      Color4 under = unpack(out[x]);
      auto channel = [&](float over, float below) {
        return static_cast<uint32_t>(std::clamp(over * opacity + below * keep + 0.5f, 0.0f, 255.0f));
      };
      out[x] = channel(c.b, under.b) | (channel(c.g, under.g) << 8) | (channel(c.r, under.r) << 16) |
               (channel(c.a, under.a) << 24);
    }
  }
}

ClipScope::ClipScope(PaintContext& context, const RECT& rect)
    : context_(context), savedClip_(context.clip), savedDc_(SaveDC(context.hdc)) {
  IntersectRect(&context_.clip, &context_.clip, &rect);
  IntersectClipRect(context_.hdc, context_.clip.left, context_.clip.top, context_.clip.right,
                    context_.clip.bottom);
}

ClipScope::~ClipScope() {
  RestoreDC(context_.hdc, savedDc_);
  context_.clip = savedClip_;
}

void fillColor(PaintContext& context, const RECT& rect, DWORD argb) {
  if (argb == 0 || IsRectEmpty(&rect)) return;
  if ((argb >> 24) == 0xFF) {
    HBRUSH brush = CreateSolidBrush(toColorRef(argb));
    FillRect(context.hdc, &rect, brush);
    DeleteObject(brush);
    return;
  }
  blendFill(context, rect, argb);
}

void drawFrame(PaintContext& context, const RECT& rect, DWORD argb, int width) {
  if (argb == 0 || width <= 0) return;
  fillColor(context, {rect.left, rect.top, rect.right, rect.top + width}, argb);
  fillColor(context, {rect.left, rect.bottom - width, rect.right, rect.bottom}, argb);
  fillColor(context, {rect.left, rect.top + width, rect.left + width, rect.bottom - width}, argb);
  fillColor(context, {rect.right - width, rect.top + width, rect.right, rect.bottom - width}, argb);
}

bool drawImage(PaintContext& context, const RECT& rect, const ImageDesc& desc) {
  if (desc.file.empty()) return false;
  const int scale = context.scalePercent;
  const SkinImage* image = loadSkinImage(desc.file, desc.hasMask, desc.mask, scale > 100);
  if (!image || image->pixels.empty()) return false;

  const int density = image->density;
  RECT source = desc.hasSource
                    ? RECT{desc.source.left * density, desc.source.top * density,
                           desc.source.right * density, desc.source.bottom * density}
                    : RECT{0, 0, image->width, image->height};
  source.right = std::min<LONG>(source.right, image->width);
  source.bottom = std::min<LONG>(source.bottom, image->height);
  if (source.right <= source.left || source.bottom <= source.top) return false;

  RECT dest = rect;
  if (desc.hasDest) {
    RECT at = mirroredInReading(
        {scaleByPercent(desc.dest.left, scale), scaleByPercent(desc.dest.top, scale),
         scaleByPercent(desc.dest.right, scale), scaleByPercent(desc.dest.bottom, scale)},
        rect.right - rect.left);
    dest = {rect.left + at.left, rect.top + at.top, rect.left + at.right, rect.top + at.bottom};
  }
  if (dest.right <= dest.left || dest.bottom <= dest.top) return true;

  const RECT& c = desc.corner;
  Band columns[3];
  Band rows[3];
  splitBands(source.left, source.right - source.left, dest.left, dest.right - dest.left, c.left * density,
             c.right * density, scaleByPercent(c.left, scale), scaleByPercent(c.right, scale), columns);
  splitBands(source.top, source.bottom - source.top, dest.top, dest.bottom - dest.top, c.top * density,
             c.bottom * density, scaleByPercent(c.top, scale), scaleByPercent(c.bottom, scale), rows);

  for (const Band& row : rows) {
    for (const Band& column : columns) {
      if (row.sourceLength <= 0 || column.sourceLength <= 0 || row.destLength <= 0 || column.destLength <= 0) {
        continue;
      }
      blendImagePart(context, *image,
                     {column.source, row.source, column.source + column.sourceLength, row.source + row.sourceLength},
                     {column.dest, row.dest, column.dest + column.destLength, row.dest + row.destLength}, desc.fade);
    }
  }
  return true;
}

const ImageDesc& cachedImageDesc(const std::wstring& description) {
  static auto* cache = new std::map<std::wstring, ImageDesc>();
  auto found = cache->find(description);
  if (found == cache->end()) found = cache->emplace(description, parseImageDesc(description)).first;
  return found->second;
}

bool drawImage(PaintContext& context, const RECT& rect, const std::wstring& description) {
  if (description.empty()) return false;
  return drawImage(context, rect, cachedImageDesc(description));
}

namespace {

// A multi-line text with joined words too wide for `maxWidth` opened up, in
// the font selected into `dc`.
std::wstring wrappable(HDC dc, const std::wstring& text, const TextStyle& style, int maxWidth) {
  if (!style.multiline || text.find(kNoBreakSpace) == std::wstring::npos) return text;
  return breakOverlongJoins(text, maxWidth, [dc](const std::wstring& piece) {
    SIZE size{};
    GetTextExtentPoint32W(dc, piece.c_str(), static_cast<int>(piece.size()), &size);
    return static_cast<int>(size.cx);
  });
}

}  // namespace

void drawPlainText(PaintContext& context, const RECT& rect, const std::wstring& shownText,
                   const TextStyle& style) {
  if (shownText.empty() || !style.fonts) return;
  bool rtl = isRightToLeftLanguage() && !style.leftToRight;
  HDC dc = context.hdc;
  HGDIOBJ oldFont = SelectObject(dc, gdiFont(style.fonts->get(style.fontId), context.scalePercent));
  std::wstring text = wrappable(dc, shownText, style, rect.right - rect.left);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, toColorRef(style.color));
  if (rtl) {
    drawRightToLeftText(context, rect, text, style);
    SelectObject(dc, oldFont);
    return;
  }
  UINT flags = drawTextFlags(style);
  RECT target = rect;
  if (style.multiline && style.valign != DT_TOP) {
    // DrawText centres only single lines; place a wrapped block ourselves.
    RECT measured = rect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, flags | DT_CALCRECT);
    int height = measured.bottom - measured.top;
    int room = (rect.bottom - rect.top) - height;
    if (room > 0) target.top += style.valign == DT_BOTTOM ? room : room / 2;
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &target, flags);
  SelectObject(dc, oldFont);
}

SIZE measurePlainText(HDC dc, int scalePercent, const std::wstring& shownText,
                      const TextStyle& style, int maxWidth) {
  if (shownText.empty() || !style.fonts) return {0, 0};
  HGDIOBJ oldFont = SelectObject(dc, gdiFont(style.fonts->get(style.fontId), scalePercent));
  std::wstring text = wrappable(dc, shownText, style, maxWidth);
  SIZE size{};
  if (isRightToLeftLanguage() && !style.leftToRight) {
    size = measureRightToLeftText(dc, text, style, maxWidth);
  } else {
    RECT measured{0, 0, style.multiline ? maxWidth : 100000, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
              drawTextFlags(style) | DT_CALCRECT);
    size = {measured.right - measured.left, measured.bottom - measured.top};
  }
  SelectObject(dc, oldFont);
  return size;
}

std::wstring breakOverlongJoins(const std::wstring& text, int maxWidth,
                                const std::function<int(const std::wstring&)>& width) {
  std::wstring result = text;
  size_t start = 0;
  while (start < result.size()) {
    size_t end = result.find_first_of(L" \r\n", start);
    if (end == std::wstring::npos) end = result.size();
    std::wstring word = result.substr(start, end - start);
    if (word.find(kNoBreakSpace) != std::wstring::npos && width(word) > maxWidth) {
      for (size_t at = start; at < end; ++at) {
        if (result[at] == kNoBreakSpace) result[at] = L' ';
      }
    }
    start = end + 1;
  }
  return result;
}

RECT mirroredInReading(const RECT& part, int width) {
  if (!isRightToLeftLanguage()) return part;
  return {width - part.right, part.top, width - part.left, part.bottom};
}

bool isRightToLeftLanguage() {
  std::wstring code = language();
  return code.rfind(L"ar", 0) == 0 || code.rfind(L"fa", 0) == 0 || code.rfind(L"he", 0) == 0 ||
         code.rfind(L"ur", 0) == 0;
}

}  // namespace DuiLib
