// The offer host's pictures and font: bitmaps 132 (the background, 656 x 428),
// 130 (the face of Accept and Reject, 100 x 32) and 133 (the close glyph,
// 12 x 12) from the executable's resources, drawn from their top-left corner
// at the host's scale, and the host's font. Made on first use for a scale and
// kept for the process; a missing bitmap draws nothing. UI thread only.
#pragma once
#include <windows.h>

#include <string>

namespace offer {

class OfferArt {
 public:
  static const OfferArt& get(int scalePercent);

  void drawBackground(HDC dc, int x, int y) const { draw(dc, background_, x, y); }
  void drawButton(HDC dc) const { draw(dc, button_, 0, 0); }
  void drawCloseGlyph(HDC dc) const { draw(dc, closeGlyph_, 0, 0); }
  // One line of text in `box`, on a transparent background.
  void drawText(HDC dc, const RECT& box, const std::wstring& text, COLORREF colour,
                UINT format) const;
  // The keyboard's focus mark a little around `around`, in the skin's accent.
  void drawFocusMark(HDC dc, const RECT& around) const;
  // The part of the host that mark covers.
  RECT focusMarkArea(const RECT& around) const;

 private:
  explicit OfferArt(int scalePercent);
  void draw(HDC dc, HBITMAP bitmap, int x, int y) const;

  int scale_;
  HBITMAP background_;
  HBITMAP button_;
  HBITMAP closeGlyph_;
  HFONT font_;
  HDC memory_;  // shared by every drawing
};

}  // namespace offer
