// Drawing primitives of the controls: colours, nine-grid images (composed
// into the surface's pixels by the toolkit) and text (GDI, so missing faces
// are substituted). All coordinates are window pixels; image descriptions
// carry 96-DPI units that are scaled here.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/fonts.h"
#include "toolkit/image_desc.h"

namespace DuiLib {

// Where a paint pass draws: one 32-bit surface, seen through GDI and as
// pixels. Whatever writes the pixels calls GdiFlush first.
struct PaintContext {
  HDC hdc = nullptr;
  RECT clip{};  // what may be drawn now (the DC's clip follows it)
  int scalePercent = 100;
  uint32_t* pixels = nullptr;  // the surface's premultiplied BGRA rows
  int width = 0;
  int height = 0;
};

// Narrows the clip of `context` and of its DC to `rect` for the scope's life.
class ClipScope {
 public:
  ClipScope(PaintContext& context, const RECT& rect);
  ~ClipScope();
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  PaintContext& context_;
  RECT savedClip_;
  int savedDc_;
};

// How a text is laid into its rectangle.
struct TextStyle {
  const FontTable* fonts = nullptr;
  int fontId = -1;
  DWORD color = 0xFF000000;
  UINT align = DT_LEFT;     // DT_LEFT, DT_CENTER or DT_RIGHT
  UINT valign = DT_VCENTER;  // DT_TOP, DT_VCENTER or DT_BOTTOM
  bool multiline = false;
  bool endEllipsis = false;
  // Data such as a folder path reads left to right in every language.
  bool leftToRight = false;
};

// Fills `rect` with an ARGB colour; nothing for a colour of 0.
void fillColor(PaintContext& context, const RECT& rect, DWORD argb);
// A frame of `width` pixels inside `rect`. (Rounded frames: toolkit/shapes.h.)
void drawFrame(PaintContext& context, const RECT& rect, DWORD argb, int width);
// Draws an image description into `rect` (its "dest" part is relative to
// `rect`): the source part split into a nine-grid by its corners, the borders
// kept and the middle stretched, sampled smoothly. False when the image could
// not be loaded.
bool drawImage(PaintContext& context, const RECT& rect, const ImageDesc& image);
bool drawImage(PaintContext& context, const RECT& rect, const std::wstring& description);
// Draws a plain text (already resolved) in `rect`.
void drawPlainText(PaintContext& context, const RECT& rect, const std::wstring& text, const TextStyle& style);
// The pixel size a plain text needs on one line (or wrapped at `maxWidth`
// when multiline).
SIZE measurePlainText(HDC dc, int scalePercent, const std::wstring& text, const TextStyle& style, int maxWidth);

struct SkinImage;
// Blends the part `source` of `image` stretched onto `dest` (clipped).
void blendImagePart(PaintContext& context, const SkinImage& image, const RECT& source, const RECT& dest,
                    int fade = 255);

// True when the current language is written right to left.
bool isRightToLeftLanguage();
// `part` of a box `width` wide, seen in the language's reading order: for a
// right-to-left language, left and right change places (an icon's place).
RECT mirroredInReading(const RECT& part, int width);

// `text` with the no-break spaces of each word wider than `maxWidth` turned
// into spaces: a wrapping text whose words are all joined by no-break spaces
// still wraps between them, while short joined phrases stay together.
// `width` measures a piece of text.
std::wstring breakOverlongJoins(const std::wstring& text, int maxWidth,
                                const std::function<int(const std::wstring&)>& width);

// The parsed form of a description, cached by its text.
const ImageDesc& cachedImageDesc(const std::wstring& description);

}  // namespace DuiLib
