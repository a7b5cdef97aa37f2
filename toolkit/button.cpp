#include "toolkit/button.h"

#include <algorithm>

#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

struct ButtonAttributes {
  static const AttributeRule<CButtonUI> rules[];
};

namespace {

void readColor(const std::wstring& value, DWORD& color) { parseColor(value, color); }

}  // namespace

const AttributeRule<CButtonUI> ButtonAttributes::rules[] = {
    {L"normalimage", [](CButtonUI& c, const std::wstring& v) { c.setNormalImage(v); }},
    {L"hotimage", [](CButtonUI& c, const std::wstring& v) { c.setHotImage(v); }},
    {L"pushedimage", [](CButtonUI& c, const std::wstring& v) { c.setPushedImage(v); }},
    {L"focusedimage", [](CButtonUI& c, const std::wstring& v) { c.setFocusedImage(v); }},
    {L"disabledimage", [](CButtonUI& c, const std::wstring& v) { c.setDisabledImage(v); }},
    {L"hottextcolor", [](CButtonUI& c, const std::wstring& v) { readColor(v, c.hotTextColor_); }},
    {L"pushedtextcolor", [](CButtonUI& c, const std::wstring& v) { readColor(v, c.pushedTextColor_); }},
    {L"focusedtextcolor", [](CButtonUI& c, const std::wstring& v) { readColor(v, c.focusedTextColor_); }},
    {L"hotbkcolor", [](CButtonUI& c, const std::wstring& v) { readColor(v, c.hotBkColor_); }},
    {L"minwidthex",
     [](CButtonUI& c, const std::wstring& v) {
       c.minWidthEx_ = parseInt(v);
       c.invalidate();
     }},
    {L"default", [](CButtonUI& c, const std::wstring& v) { c.default_ = parseBool(v); }},
};

CButtonUI::CButtonUI() { setDefaultAlign(DT_CENTER); }

void* CButtonUI::getInterface(std::wstring_view name) {
  return name == L"Button" ? this : CLabelUI::getInterface(name);
}

bool CButtonUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, ButtonAttributes::rules, name, value) || CLabelUI::setAttribute(name, value);
}

SIZE CButtonUI::estimateSize(SIZE available) {
  SIZE size = CLabelUI::estimateSize(available);
  if (minWidthEx_ > 0) size.cx = std::max(scaled(minWidthEx_), measureTextWidth());
  return size;
}

void CButtonUI::setNormalImage(const std::wstring& image) {
  normalImage_ = image;
  invalidate();
}

void CButtonUI::setHotImage(const std::wstring& image) {
  hotImage_ = image;
  invalidate();
}

void CButtonUI::setPushedImage(const std::wstring& image) {
  pushedImage_ = image;
  invalidate();
}

void CButtonUI::setFocusedImage(const std::wstring& image) {
  focusedImage_ = image;
  invalidate();
}

void CButtonUI::setDisabledImage(const std::wstring& image) {
  disabledImage_ = image;
  invalidate();
}

void CButtonUI::click() {
  if (isVisible() && isEnabled()) activate();
}

void CButtonUI::activate() { sendNotify(L"click"); }

bool CButtonUI::drawFirstImage(PaintContext& context, std::initializer_list<const std::wstring*> images) {
  for (const std::wstring* image : images) {
    if (!image->empty()) return drawImage(context, pos_, *image);
  }
  return false;
}

void CButtonUI::paintStatusImage(PaintContext& context) {
  if (!isEnabled()) {
    drawFirstImage(context, {&disabledImage_, &normalImage_});
    return;
  }
  if (isPushed()) {
    drawFirstImage(context, {&pushedImage_, &hotImage_, &normalImage_});
  } else if (isHot()) {
    fillColor(context, pos_, hotBkColor_);
    drawFirstImage(context, {&hotImage_, &normalImage_});
  } else if (isFocused() && !focusedImage_.empty()) {
    drawFirstImage(context, {&focusedImage_});
  } else {
    drawFirstImage(context, {&normalImage_});
  }
}

DWORD CButtonUI::currentTextColor() const {
  if (isEnabled()) {
    if (isPushed() && pushedTextColor_ != 0) return pushedTextColor_;
    if ((isHot() || isPushed()) && hotTextColor_ != 0) return hotTextColor_;
    if (isFocused() && focusedTextColor_ != 0) return focusedTextColor_;
  }
  return CLabelUI::currentTextColor();
}

}  // namespace DuiLib
