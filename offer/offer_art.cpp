#include "offer/offer_art.h"

#include <map>

#include "toolkit/dpi.h"

namespace offer {
namespace {

constexpr int kButtonFace = 130;
constexpr int kBackground = 132;
constexpr int kCloseGlyph = 133;
constexpr COLORREF kAccent = RGB(255, 214, 72);  // the main window's focus mark
constexpr int kMarkGap = 3;
constexpr int kMarkWidth = 2;

HBITMAP loadBitmap(int id) {
  return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

}  // namespace

const OfferArt& OfferArt::get(int scalePercent) {
  // Kept for the process: the host's windows may paint until it ends.
  static std::map<int, OfferArt*> made;
  OfferArt*& art = made[scalePercent];
  if (!art) art = new OfferArt(scalePercent);
  return *art;
}

OfferArt::OfferArt(int scalePercent)
    : scale_(scalePercent),
      background_(loadBitmap(kBackground)),
      button_(loadBitmap(kButtonFace)),
      closeGlyph_(loadBitmap(kCloseGlyph)),
      font_(CreateFontW(DuiLib::scaleByPercent(20, scalePercent),
                        DuiLib::scaleByPercent(8, scalePercent), 0, 0, FW_NORMAL, FALSE,
                        FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, 0x50, L"Microsoft YaHei")),
      memory_(CreateCompatibleDC(nullptr)) {}

void OfferArt::draw(HDC dc, HBITMAP bitmap, int x, int y) const {
  BITMAP info;
  if (!bitmap || !memory_ || !GetObjectW(bitmap, sizeof(info), &info)) return;
  HGDIOBJ previous = SelectObject(memory_, bitmap);
  if (scale_ == 100) {
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory_, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, x, y, DuiLib::scaleByPercent(info.bmWidth, scale_),
               DuiLib::scaleByPercent(info.bmHeight, scale_), memory_, 0, 0,
               info.bmWidth, info.bmHeight, SRCCOPY);
  }
  SelectObject(memory_, previous);
}

void OfferArt::drawText(HDC dc, const RECT& box, const std::wstring& text, COLORREF colour,
                        UINT format) const {
  HGDIOBJ previous = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  RECT area = box;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format | DT_NOPREFIX);
  SelectObject(dc, previous);
}

RECT OfferArt::focusMarkArea(const RECT& around) const {
  RECT area = around;
  int reach = DuiLib::scaleByPercent(kMarkGap + kMarkWidth, scale_);
  InflateRect(&area, reach, reach);
  return area;
}

void OfferArt::drawFocusMark(HDC dc, const RECT& around) const {
  HBRUSH accent = CreateSolidBrush(kAccent);
  if (!accent) return;
  RECT ring = around;
  int gap = DuiLib::scaleByPercent(kMarkGap, scale_);
  InflateRect(&ring, gap, gap);
  for (int i = 0; i < DuiLib::scaleByPercent(kMarkWidth, scale_); ++i) {
    InflateRect(&ring, 1, 1);
    FrameRect(dc, &ring, accent);
  }
  DeleteObject(accent);
}

}  // namespace offer
