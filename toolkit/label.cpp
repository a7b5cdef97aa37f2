#include "toolkit/label.h"

#include <utility>

#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "toolkit/formatted_text.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

struct LabelAttributes {
  static const AttributeRule<CLabelUI> rules[];
};

const AttributeRule<CLabelUI> LabelAttributes::rules[] = {
    {L"font", [](CLabelUI& c, const std::wstring& v) { c.setFont(parseInt(v)); }},
    {L"textcolor",
     [](CLabelUI& c, const std::wstring& v) {
       DWORD color = 0;
       if (parseColor(v, color)) c.setTextColor(color);
     }},
    {L"disabledtextcolor",
     [](CLabelUI& c, const std::wstring& v) { parseColor(v, c.disabledTextColor_); }},
    {L"textpadding", [](CLabelUI& c, const std::wstring& v) { c.setTextPadding(parseRect(v)); }},
    {L"align",
     [](CLabelUI& c, const std::wstring& v) {
       c.align_ = v == L"center" ? DT_CENTER : (v == L"right" ? DT_RIGHT : DT_LEFT);
       c.invalidate();
     }},
    {L"valign",
     [](CLabelUI& c, const std::wstring& v) {
       c.valign_ = v == L"top" ? DT_TOP : (v == L"bottom" ? DT_BOTTOM : DT_VCENTER);
       c.invalidate();
     }},
    {L"showhtml", [](CLabelUI& c, const std::wstring& v) { c.setShowHtml(parseBool(v)); }},
    {L"multiline", [](CLabelUI& c, const std::wstring& v) { c.setMultiline(parseBool(v)); }},
    {L"endellipsis", [](CLabelUI& c, const std::wstring& v) { c.endEllipsis_ = parseBool(v); }},
    {L"autocalcwidth",
     [](CLabelUI& c, const std::wstring& v) {
       c.autoWidth_ = parseBool(v);
       c.invalidate();
     }},
};

CLabelUI::CLabelUI() = default;

void* CLabelUI::getInterface(std::wstring_view name) {
  return name == L"Label" ? this : CControlUI::getInterface(name);
}

bool CLabelUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, LabelAttributes::rules, name, value) || CControlUI::setAttribute(name, value);
}

SIZE CLabelUI::estimateSize(SIZE available) {
  SIZE size = CControlUI::estimateSize(available);
  if (autoWidth_) size.cx = measureTextWidth();
  return size;
}

void CLabelUI::setFont(int id) {
  font_ = id;
  invalidate();
}

void CLabelUI::setTextColor(DWORD argb) {
  textColor_ = argb;
  invalidate();
}

void CLabelUI::setTextPadding(const RECT& padding) {
  textPadding_ = padding;
  invalidate();
}

void CLabelUI::setShowHtml(bool html) {
  showHtml_ = html;
  invalidate();
}

void CLabelUI::setMultiline(bool multiline) {
  multiline_ = multiline;
  invalidate();
}

DWORD CLabelUI::currentTextColor() const {
  if (!isEnabled() && disabledTextColor_ != 0) return disabledTextColor_;
  return textColor_;
}

TextStyle CLabelUI::textStyle(DWORD color) const {
  TextStyle style;
  style.fonts = getManager() ? &getManager()->fonts() : &CPaintManagerUI::fallbackFonts();
  style.fontId = font_;
  style.color = color;
  style.align = align_;
  style.valign = valign_;
  style.multiline = multiline_;
  style.endEllipsis = endEllipsis_;
  return style;
}

int CLabelUI::measureTextWidth() {
  std::wstring text = resolvedText();
  if (showHtml_) {
    std::wstring plain;
    for (const TextRun& run : parseFormattedText(text)) plain += run.lineBreak ? L" " : run.text;
    text = plain;
  }
  TextStyle style = textStyle(textColor_);
  style.multiline = false;
  RECT padding = scaledRect(textPadding_);
  return measurePlainText(measureDC(), scalePercent(), text, style, 0).cx + padding.left + padding.right;
}

void CLabelUI::paintText(PaintContext& context) {
  std::wstring text = resolvedText();
  if (text.empty()) return;
  RECT padding = scaledRect(textPadding_);
  // For a right-to-left language the sides change places, as the layout does.
  if (isRightToLeftLanguage()) std::swap(padding.left, padding.right);
  RECT area{pos_.left + padding.left, pos_.top + padding.top, pos_.right - padding.right,
            pos_.bottom - padding.bottom};
  TextStyle style = textStyle(currentTextColor());
  if (showHtml_) {
    drawFormattedText(context, area, text, style);
  } else {
    drawPlainText(context, area, text, style);
  }
}

}  // namespace DuiLib
