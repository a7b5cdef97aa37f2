#include "toolkit/option.h"

#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

struct OptionAttributes {
  static const AttributeRule<COptionUI> rules[];
};

const AttributeRule<COptionUI> OptionAttributes::rules[] = {
    {L"selected", [](COptionUI& c, const std::wstring& v) { c.selected(parseBool(v), false); }},
    {L"group", [](COptionUI& c, const std::wstring& v) { c.setGroup(v); }},
    {L"selectedimage", [](COptionUI& c, const std::wstring& v) { c.selectedImage_ = v; }},
    {L"selectedhotimage", [](COptionUI& c, const std::wstring& v) { c.selectedHotImage_ = v; }},
    {L"selectedpushedimage", [](COptionUI& c, const std::wstring& v) { c.selectedPushedImage_ = v; }},
    {L"foreimage", [](COptionUI& c, const std::wstring& v) { c.foreImage_ = v; }},
    {L"selectedtextcolor", [](COptionUI& c, const std::wstring& v) { parseColor(v, c.selectedTextColor_); }},
    {L"selectedbkcolor", [](COptionUI& c, const std::wstring& v) { parseColor(v, c.selectedBkColor_); }},
};

COptionUI::~COptionUI() {
  if (getManager() && !group_.empty()) getManager()->removeOptionGroup(group_, this);
}

void* COptionUI::getInterface(std::wstring_view name) {
  return name == L"Option" ? this : CButtonUI::getInterface(name);
}

bool COptionUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, OptionAttributes::rules, name, value) || CButtonUI::setAttribute(name, value);
}

void COptionUI::setManager(CPaintManagerUI* manager, CControlUI* parent) {
  if (getManager() && getManager() != manager && !group_.empty()) getManager()->removeOptionGroup(group_, this);
  CButtonUI::setManager(manager, parent);
  if (manager && !group_.empty()) manager->addOptionGroup(group_, this);
}

void COptionUI::setGroup(const std::wstring& group) {
  if (getManager() && !group_.empty()) getManager()->removeOptionGroup(group_, this);
  group_ = group;
  if (getManager() && !group_.empty()) getManager()->addOptionGroup(group_, this);
}

void COptionUI::selected(bool selected, bool notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  if (selected_ && getManager() && !group_.empty()) {
    for (COptionUI* other : getManager()->optionGroup(group_)) {
      if (other != this) other->selected(false, notify);
    }
  }
  redraw();
  notifyAccessible(EVENT_OBJECT_STATECHANGE);
  if (notify) sendNotify(L"selectchanged");
}

void COptionUI::activate() {
  CButtonUI::activate();
  // A radio button is not cleared by clicking it again.
  selected(group_.empty() ? !selected_ : true);
}

void COptionUI::paintStatusImage(PaintContext& context) {
  if (selected_) {
    fillColor(context, pos_, selectedBkColor_);
    bool drawn = false;
    if (isPushed()) drawn = drawFirstImage(context, {&selectedPushedImage_, &selectedHotImage_, &selectedImage_});
    if (!drawn && isHot()) drawn = drawFirstImage(context, {&selectedHotImage_, &selectedImage_});
    if (!drawn) drawn = drawFirstImage(context, {&selectedImage_});
    if (!drawn) CButtonUI::paintStatusImage(context);
  } else {
    CButtonUI::paintStatusImage(context);
  }
  drawImage(context, pos_, foreImage_);
}

AccessibleRole COptionUI::naturalRole() const {
  return group_.empty() ? AccessibleRole::CheckBox : AccessibleRole::RadioButton;
}

DWORD COptionUI::currentTextColor() const {
  if (selected_ && selectedTextColor_ != 0 && isEnabled()) return selectedTextColor_;
  return CButtonUI::currentTextColor();
}

}  // namespace DuiLib
