#include "toolkit/fonts.h"

#include "toolkit/dpi.h"
#include "utility/number_text.h"

namespace DuiLib {

HFONT gdiFont(const FontSpec& spec, int scalePercent) {
  static auto* cache = new std::map<std::wstring, HFONT>();
  std::wstring key = spec.face + L'|' + utility::decimalText(spec.size) + L'|' + utility::decimalText(scalePercent) +
                     (spec.bold ? L"b" : L"") + (spec.underline ? L"u" : L"") + (spec.italic ? L"i" : L"");
  auto found = cache->find(key);
  if (found != cache->end()) return found->second;

  LOGFONTW font{};
  font.lfHeight = -scaleByPercent(spec.size > 0 ? spec.size : 12, scalePercent);
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = spec.italic;
  font.lfUnderline = spec.underline;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = CLEARTYPE_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpynW(font.lfFaceName, spec.face.c_str(), LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&font);
  if (!handle) handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  (*cache)[key] = handle;
  return handle;
}

void FontTable::add(int id, const FontSpec& spec, bool makeDefault) {
  fonts_[id] = spec;
  if (makeDefault) default_ = spec;
}

void FontTable::addSizeLadder(const std::wstring& face, int count) {
  FontSpec font;
  font.face = face;
  font.size = 12;
  default_ = font;
  for (int id = 0; id < count; ++id) {
    font.size = 12 + 2 * id;
    fonts_[id] = font;
  }
}

const FontSpec& FontTable::get(int id) const {
  auto found = fonts_.find(id);
  return found != fonts_.end() ? found->second : default_;
}

}  // namespace DuiLib
