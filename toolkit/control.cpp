#include "toolkit/control.h"

#include "skin/language_table.h"
#include "toolkit/accessible.h"
#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "toolkit/dpi.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

struct ControlAttributes {
  static const AttributeRule<CControlUI> rules[];
};

const AttributeRule<CControlUI> ControlAttributes::rules[] = {
    {L"name", [](CControlUI& c, const std::wstring& v) { c.name_ = v; }},
    {L"text", [](CControlUI& c, const std::wstring& v) { c.setText(v); }},
    {L"tooltip", [](CControlUI& c, const std::wstring& v) { c.toolTip_ = v; }},
    {L"userdata", [](CControlUI& c, const std::wstring& v) { c.userData_ = v; }},
    {L"width", [](CControlUI& c, const std::wstring& v) { c.setFixedWidth(parseInt(v)); }},
    {L"height", [](CControlUI& c, const std::wstring& v) { c.setFixedHeight(parseInt(v)); }},
    {L"minwidth", [](CControlUI& c, const std::wstring& v) { c.minSize_.cx = parseInt(v); }},
    {L"minheight", [](CControlUI& c, const std::wstring& v) { c.minSize_.cy = parseInt(v); }},
    {L"maxwidth", [](CControlUI& c, const std::wstring& v) { c.maxSize_.cx = parseInt(v); }},
    {L"maxheight", [](CControlUI& c, const std::wstring& v) { c.maxSize_.cy = parseInt(v); }},
    {L"padding", [](CControlUI& c, const std::wstring& v) { c.setPadding(parseRect(v)); }},
    {L"float", [](CControlUI& c, const std::wstring& v) { c.setFloat(parseBool(v)); }},
    {L"pos",
     [](CControlUI& c, const std::wstring& v) {
       // Also the control's size, as long as the pair is not empty.
       c.floatPos_ = parseRect(v);
       if (c.floatPos_.right > c.floatPos_.left) c.setFixedWidth(c.floatPos_.right - c.floatPos_.left);
       if (c.floatPos_.bottom > c.floatPos_.top) c.setFixedHeight(c.floatPos_.bottom - c.floatPos_.top);
     }},
    {L"visible", [](CControlUI& c, const std::wstring& v) { c.setVisible(parseBool(v)); }},
    {L"enabled", [](CControlUI& c, const std::wstring& v) { c.setEnabled(parseBool(v)); }},
    {L"mouse", [](CControlUI& c, const std::wstring& v) { c.mouseEnabled_ = parseBool(v); }},
    {L"cursor", [](CControlUI& c, const std::wstring& v) { c.handCursor_ = v == L"hand"; }},
    {L"bkcolor",
     [](CControlUI& c, const std::wstring& v) {
       DWORD color = 0;
       if (parseColor(v, color)) c.setBkColor(color);
     }},
    {L"bordercolor", [](CControlUI& c, const std::wstring& v) { parseColor(v, c.borderColor_); }},
    {L"bordersize", [](CControlUI& c, const std::wstring& v) { c.borderSize_ = parseInt(v); }},
    {L"bkimage", [](CControlUI& c, const std::wstring& v) { c.setBkImage(v); }},
    {L"accname", [](CControlUI& c, const std::wstring& v) { c.accessibleName_ = v; }},
    {L"accrole", [](CControlUI& c, const std::wstring& v) { c.hasRole_ = parseAccessibleRole(v, c.role_); }},
    {L"taborder", [](CControlUI& c, const std::wstring& v) { c.tabOrder_ = parseInt(v); }},
    {L"pagefocus", [](CControlUI& c, const std::wstring& v) { c.pageFocus_ = parseBool(v); }},
};

namespace {

// Ids for assistive technology: positive (0 names a window itself) and never
// reused, so that a late question about a control that is gone finds nothing.
long nextAccessibleId() {
  static long last = 0;
  return ++last;
}

}  // namespace

CControlUI::CControlUI() : accessibleId_(nextAccessibleId()) {}

CControlUI::~CControlUI() {
  if (manager_) manager_->forgetControl(this);
}

void* CControlUI::getInterface(std::wstring_view name) { return name == L"Control" ? this : nullptr; }

void CControlUI::setText(const std::wstring& text) {
  if (text_ == text) return;
  text_ = text;
  notifyAccessible(textIsValue(accessibleRole()) ? EVENT_OBJECT_VALUECHANGE
                                                 : EVENT_OBJECT_NAMECHANGE);
  if (manager_ && accessibleRole() == AccessibleRole::Alert) manager_->accessibleAlertsChanged();
  if (sizeFollowsText()) {
    invalidate();
  } else {
    redraw();
  }
}

void CControlUI::setAccessibleName(const std::wstring& name) {
  if (accessibleName_ == name) return;
  accessibleName_ = name;
  notifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

std::wstring CControlUI::resolvedText() const {
  std::wstring text = text_;
  resolveLangText(text);
  return text;
}

std::wstring CControlUI::resolvedToolTip() const {
  std::wstring text = toolTip_;
  resolveLangText(text);
  return text;
}

void CControlUI::setFixedWidth(int width) {
  fixedWidth_ = width < 0 ? 0 : width;
  invalidate();
}

void CControlUI::setFixedHeight(int height) {
  fixedHeight_ = height < 0 ? 0 : height;
  invalidate();
}

void CControlUI::setPadding(const RECT& padding) {
  padding_ = padding;
  invalidate();
}

void CControlUI::setFloat(bool isFloat) {
  float_ = isFloat;
  invalidate();
}

void CControlUI::setPos(const RECT& pos) { pos_ = pos; }

SIZE CControlUI::estimateSize(SIZE) { return {scaled(fixedWidth_), scaled(fixedHeight_)}; }

bool CControlUI::isVisible() const {
  for (const CControlUI* control = this; control; control = control->parent_) {
    if (!control->visible_) return false;
  }
  return true;
}

void CControlUI::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (manager_) {
    if (!visible) manager_->controlHidden(this);
    manager_->accessibleChildrenChanged();
  }
  invalidate();
}

bool CControlUI::isEnabled() const {
  for (const CControlUI* control = this; control; control = control->parent_) {
    if (!control->enabled_) return false;
  }
  return true;
}

void CControlUI::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) {
    state_ = 0;
    if (manager_) manager_->controlHidden(this);
  }
  notifyAccessible(EVENT_OBJECT_STATECHANGE);
  invalidate();
}

bool CControlUI::isFocused() const { return manager_ && manager_->getFocus() == this; }

void CControlUI::setBkColor(DWORD argb) {
  bkColor_ = argb;
  invalidate();
}

AccessibleRole CControlUI::naturalRole() const {
  return bkImage_.empty() ? AccessibleRole::None : AccessibleRole::Graphic;
}

void CControlUI::notifyAccessible(unsigned long event) const {
  if (manager_ && isVisible()) manager_->raiseAccessibleEvent(event, this);
}

void CControlUI::setBkImage(const std::wstring& image) {
  if (bkImage_ == image) return;
  bkImage_ = image;
  invalidate();
}

bool CControlUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, ControlAttributes::rules, name, value);
}

void CControlUI::applyAttributeList(const std::wstring& list) {
  for (const auto& [name, value] : parseAttributeList(list)) setAttribute(name, value);
}

void CControlUI::setManager(CPaintManagerUI* manager, CControlUI* parent) {
  if (manager_ && manager_ != manager) manager_->forgetControl(this);
  manager_ = manager;
  parent_ = parent;
}

CControlUI* CControlUI::findControl(std::wstring_view name) { return name_ == name ? this : nullptr; }

CControlUI* CControlUI::findControlAt(POINT point) {
  if (!visible_ || !mouseEnabled_ || !PtInRect(&pos_, point)) return nullptr;
  return this;
}

void CControlUI::forEach(const std::function<void(CControlUI*)>& visit) { visit(this); }

void CControlUI::paint(PaintContext& context) {
  RECT visible;
  if (!IntersectRect(&visible, &pos_, &context.clip)) return;
  ClipScope clip(context, pos_);
  paintBkColor(context);
  paintBkImage(context);
  paintStatusImage(context);
  paintText(context);
  paintBorder(context);
}

void CControlUI::paintBkColor(PaintContext& context) { fillColor(context, pos_, bkColor_); }

void CControlUI::paintBkImage(PaintContext& context) { drawImage(context, pos_, bkImage_); }

void CControlUI::paintBorder(PaintContext& context) {
  drawFrame(context, pos_, borderColor_, scaled(borderSize_));
}

void CControlUI::doEvent(TEventUI& event) {
  switch (event.type) {
    case UIEvent::MouseEnter:
      state_ |= kHot;
      redraw();
      break;
    case UIEvent::MouseLeave:
      state_ &= ~kHot;
      redraw();
      break;
    case UIEvent::ButtonDown:
    case UIEvent::DoubleClick:
      state_ |= kPushed | kCaptured;
      redraw();
      break;
    case UIEvent::MouseMove:
      if (state_ & kCaptured) {
        bool inside = PtInRect(&pos_, event.point) != FALSE;
        if (inside != ((state_ & kPushed) != 0)) {
          state_ = inside ? (state_ | kPushed) : (state_ & ~kPushed);
          redraw();
        }
      }
      break;
    case UIEvent::ButtonUp:
      if (state_ & kCaptured) {
        bool clicked = PtInRect(&pos_, event.point) && isEnabled();
        state_ &= ~(kPushed | kCaptured);
        redraw();
        // Last: the click's handlers may change or remove this control.
        if (clicked) activate();
      }
      break;
    default:
      break;
  }
}

void CControlUI::clearMouseState() {
  if (state_ == 0) return;
  state_ = 0;
  redraw();
}

void CControlUI::invalidate() {
  if (manager_) manager_->invalidate();
}

void CControlUI::redraw() {
  if (manager_) manager_->invalidate(pos_);
}

int CControlUI::scalePercent() const { return manager_ ? manager_->scalePercent() : 100; }

int CControlUI::scaled(int value) const { return scaleByPercent(value, scalePercent()); }

RECT CControlUI::scaledRect(const RECT& rect) const {
  return {scaled(rect.left), scaled(rect.top), scaled(rect.right), scaled(rect.bottom)};
}

void CControlUI::sendNotify(const wchar_t* type, WPARAM wParam, LPARAM lParam) {
  if (manager_) manager_->sendNotify(this, type, wParam, lParam);
}

HDC CControlUI::measureDC() const { return manager_ ? manager_->measureDC() : CPaintManagerUI::sharedMeasureDC(); }

}  // namespace DuiLib
