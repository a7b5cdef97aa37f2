#include "toolkit/progress.h"

#include <algorithm>

#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "utility/number_text.h"

namespace DuiLib {

struct ProgressAttributes {
  static const AttributeRule<CProgressUI> rules[];
};

const AttributeRule<CProgressUI> ProgressAttributes::rules[] = {
    {L"min", [](CProgressUI& c, const std::wstring& v) { c.setRange(parseInt(v), c.max_); }},
    {L"max", [](CProgressUI& c, const std::wstring& v) { c.setRange(c.min_, parseInt(v)); }},
    {L"value", [](CProgressUI& c, const std::wstring& v) { c.setValue(parseInt(v)); }},
    {L"hor", [](CProgressUI& c, const std::wstring& v) { c.horizontal_ = parseBool(v); }},
    {L"foreimage", [](CProgressUI& c, const std::wstring& v) { c.foreImage_ = v; }},
    {L"forecolor", [](CProgressUI& c, const std::wstring& v) { parseColor(v, c.foreColor_); }},
};

void* CProgressUI::getInterface(std::wstring_view name) {
  return name == L"Progress" ? this : CLabelUI::getInterface(name);
}

bool CProgressUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, ProgressAttributes::rules, name, value) || CLabelUI::setAttribute(name, value);
}

void CProgressUI::setValue(int value) {
  value = std::clamp(value, min_, std::max(min_, max_));
  if (value == value_) return;
  value_ = value;
  redraw();
  if (spokenPercent_ < 0) notifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

void CProgressUI::setSpokenPercent(int percent) {
  percent = percent < 0 ? -1 : std::min(percent, 100);
  if (percent == spokenPercent_) return;
  spokenPercent_ = percent;
  notifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

bool CProgressUI::accessibleValue(std::wstring& value) const {
  int percent = max_ > min_ ? MulDiv(value_ - min_, 100, max_ - min_) : 0;
  value = utility::decimalText(spokenPercent_ >= 0 ? spokenPercent_ : percent) + L"%";
  return true;
}

void CProgressUI::setRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  value_ = std::clamp(value_, min_, max_);
  invalidate();
}

RECT CProgressUI::filledRect() const {
  RECT filled = pos_;
  if (max_ <= min_) return {pos_.left, pos_.top, pos_.left, pos_.bottom};
  if (horizontal_) {
    // Right-to-left languages fill from the right.
    int reached = MulDiv(pos_.right - pos_.left, value_ - min_, max_ - min_);
    if (isRightToLeftLanguage()) {
      filled.left = pos_.right - reached;
    } else {
      filled.right = pos_.left + reached;
    }
  } else {
    filled.top = pos_.bottom - MulDiv(pos_.bottom - pos_.top, value_ - min_, max_ - min_);
  }
  return filled;
}

void CProgressUI::paintStatusImage(PaintContext& context) {
  RECT filled = filledRect();
  if (IsRectEmpty(&filled)) return;
  fillColor(context, filled, foreColor_);
  if (foreImage_.empty()) return;
  // A nine-grid fore image keeps its rounded ends at any length.
  drawImage(context, filled, foreImage_);
}

}  // namespace DuiLib
