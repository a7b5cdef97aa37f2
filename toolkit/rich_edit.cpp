#include "toolkit/rich_edit.h"

#include <algorithm>

#include "toolkit/attribute_values.h"
#include "toolkit/paint_manager.h"
#include "toolkit/shapes.h"

namespace DuiLib {

CRichEditUI::CRichEditUI() {
  setMultiline(true);
  setAttribute(L"valign", L"top");
}

void* CRichEditUI::getInterface(std::wstring_view name) {
  return name == L"RichEdit" ? this : CLabelUI::getInterface(name);
}

void CRichEditUI::applyScrollBarAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"width") barWidth_ = std::max(0, parseInt(value));
  if (name == L"thumbcolor") parseColor(value, thumbColor_);
  if (name == L"thumbhotcolor") parseColor(value, thumbHotColor_);
  if (name == L"trackcolor") parseColor(value, trackColor_);
}

bool CRichEditUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  // Accepted for layouts written for the system control; this one is always
  // read-only, multi-line and plain.
  if (name == L"readonly" || name == L"rich" || name == L"vscrollbar" || name == L"wantreturn" ||
      name == L"autovscroll") {
    return true;
  }
  if (name == L"scrollbarwidth") {
    applyScrollBarAttribute(L"width", value);
    return true;
  }
  if (name == L"thumbcolor" || name == L"thumbhotcolor" || name == L"trackcolor") {
    applyScrollBarAttribute(name, value);
    return true;
  }
  return CLabelUI::setAttribute(name, value);
}

void CRichEditUI::setManager(CPaintManagerUI* manager, CControlUI* parent) {
  CLabelUI::setManager(manager, parent);
  if (!manager) return;
  const std::wstring* defaults = manager->defaultAttributes(L"VScrollBar");
  if (!defaults) return;
  for (const auto& [name, value] : parseAttributeList(*defaults)) applyScrollBarAttribute(name, value);
}

void CRichEditUI::setText(const std::wstring& text) {
  if (text != getText()) scroll_ = 0;
  CLabelUI::setText(text);
}

bool CRichEditUI::accessibleValue(std::wstring& value) const {
  value = resolvedText();
  return true;
}

RECT CRichEditUI::textArea() const {
  RECT padding = scaledRect(getTextPadding());
  return {pos_.left + padding.left, pos_.top + padding.top, pos_.right - padding.right - scaled(barWidth_ + 4),
          pos_.bottom - padding.bottom};
}

RECT CRichEditUI::trackRect() const {
  int width = scaled(barWidth_);
  return {pos_.right - width - scaled(2), pos_.top + scaled(2), pos_.right - scaled(2), pos_.bottom - scaled(2)};
}

int CRichEditUI::maxScroll() const {
  RECT area = textArea();
  return std::max(0, contentHeight_ - static_cast<int>(area.bottom - area.top));
}

RECT CRichEditUI::thumbRect() const {
  RECT track = trackRect();
  int trackHeight = track.bottom - track.top;
  RECT area = textArea();
  int visible = area.bottom - area.top;
  if (contentHeight_ <= visible || trackHeight <= 0) return {};
  int thumbHeight = std::max<int>(scaled(20), MulDiv(trackHeight, visible, contentHeight_));
  int top = track.top + MulDiv(trackHeight - thumbHeight, scroll_, std::max(1, maxScroll()));
  return {track.left, top, track.right, top + thumbHeight};
}

void CRichEditUI::setScrollPos(int pos) {
  int clamped = std::clamp(pos, 0, maxScroll());
  if (clamped == scroll_) return;
  scroll_ = clamped;
  redraw();
}

void CRichEditUI::doEvent(TEventUI& event) {
  switch (event.type) {
    case UIEvent::MouseWheel: {
      // Three lines a notch; finer wheels and touchpads send parts of one.
      setScrollPos(scroll_ - MulDiv(GET_WHEEL_DELTA_WPARAM(event.wParam), 3 * scaled(18), WHEEL_DELTA));
      return;
    }
    case UIEvent::ButtonDown: {
      RECT thumb = thumbRect();
      RECT track = trackRect();
      if (PtInRect(&thumb, event.point)) {
        dragging_ = true;
        dragStartY_ = event.point.y;
        dragStartScroll_ = scroll_;
      } else if (PtInRect(&track, event.point) && !IsRectEmpty(&thumb)) {
        RECT area = textArea();
        int page = area.bottom - area.top;
        setScrollPos(scroll_ + (event.point.y < thumb.top ? -page : page));
      }
      break;
    }
    case UIEvent::MouseMove:
      if (dragging_) {
        RECT track = trackRect();
        RECT thumb = thumbRect();
        int travel = (track.bottom - track.top) - (thumb.bottom - thumb.top);
        if (travel > 0) setScrollPos(dragStartScroll_ + MulDiv(event.point.y - dragStartY_, maxScroll(), travel));
      }
      break;
    case UIEvent::ButtonUp:
      dragging_ = false;
      break;
    default:
      break;
  }
  CLabelUI::doEvent(event);
}

void CRichEditUI::paintText(PaintContext& context) {
  std::wstring text = resolvedText();
  RECT area = textArea();
  TextStyle style = textStyle(currentTextColor());
  style.valign = DT_TOP;
  contentHeight_ = measurePlainText(context.hdc, context.scalePercent, text, style, area.right - area.left).cy;
  scroll_ = std::clamp(scroll_, 0, maxScroll());
  {
    ClipScope clip(context, area);
    RECT shifted{area.left, area.top - scroll_, area.right, area.top - scroll_ + contentHeight_};
    drawPlainText(context, shifted, text, style);
  }
  RECT thumb = thumbRect();
  if (IsRectEmpty(&thumb)) return;
  fillColor(context, trackRect(), trackColor_);
  DWORD color = (isHot() || dragging_) ? thumbHotColor_ : thumbColor_;
  // A capsule: its ends are half circles.
  fillRoundRect(context, static_cast<float>(thumb.left), static_cast<float>(thumb.top),
                static_cast<float>(thumb.right), static_cast<float>(thumb.bottom),
                (thumb.right - thumb.left) / 2.0f, color);
}

}  // namespace DuiLib
