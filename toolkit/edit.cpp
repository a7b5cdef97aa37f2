#include "toolkit/edit.h"

#include <algorithm>

#include "skin/language_table.h"
#include "toolkit/accessible.h"
#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

struct EditAttributes {
  static const AttributeRule<CEditUI> rules[];
};

const AttributeRule<CEditUI> EditAttributes::rules[] = {
    {L"normalimage", [](CEditUI& c, const std::wstring& v) { c.setNormalImage(v); }},
    {L"hotimage", [](CEditUI& c, const std::wstring& v) { c.setHotImage(v); }},
    {L"focusedimage", [](CEditUI& c, const std::wstring& v) { c.setFocusedImage(v); }},
    {L"disabledimage", [](CEditUI& c, const std::wstring& v) { c.disabledImage_ = v; }},
    {L"tipvalue", [](CEditUI& c, const std::wstring& v) { c.tipValue_ = v; }},
    {L"tipvaluecolor", [](CEditUI& c, const std::wstring& v) { parseColor(v, c.tipValueColor_); }},
    {L"nativebkcolor", [](CEditUI& c, const std::wstring& v) { parseColor(v, c.nativeBkColor_); }},
    {L"maxchar", [](CEditUI& c, const std::wstring& v) { c.maxChars_ = parseInt(v); }},
    {L"readonly", [](CEditUI& c, const std::wstring& v) { c.readOnly_ = parseBool(v); }},
    {L"password", [](CEditUI& c, const std::wstring& v) { c.password_ = parseBool(v); }},
};

CEditUI::~CEditUI() {
  if (native_) native_->close();
  if (nativeBrush_) DeleteObject(nativeBrush_);
}

void* CEditUI::getInterface(std::wstring_view name) { return name == L"Edit" ? this : CLabelUI::getInterface(name); }

bool CEditUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, EditAttributes::rules, name, value) || CLabelUI::setAttribute(name, value);
}

void CEditUI::setText(const std::wstring& text) {
  CLabelUI::setText(text);
  if (native_ && native_->text() != text) SetWindowTextW(native_->window(), text.c_str());
}

void CEditUI::setNormalImage(const std::wstring& image) {
  normalImage_ = image;
  invalidate();
}

void CEditUI::setHotImage(const std::wstring& image) {
  hotImage_ = image;
  invalidate();
}

void CEditUI::setFocusedImage(const std::wstring& image) {
  focusedImage_ = image;
  invalidate();
}

bool CEditUI::accessibleValue(std::wstring& value) const {
  if (password_) return false;
  value = native_ ? native_->text() : text_;
  return true;
}

HWND CEditUI::nativeWindow() const { return native_ ? native_->window() : nullptr; }

void CEditUI::doEvent(TEventUI& event) {
  if (event.type == UIEvent::SetFocus) {
    openNative();
    invalidate();
    return;
  }
  if (event.type == UIEvent::KillFocus) {
    closeNative();
    invalidate();
    sendNotify(L"killfocus");
    return;
  }
  CLabelUI::doEvent(event);
}

void CEditUI::openNative() {
  CPaintManagerUI* manager = getManager();
  if (native_ || !manager || !manager->getPaintWindow() || readOnly_) return;
  RECT padding = scaledRect(getTextPadding());
  RECT area{pos_.left + padding.left, pos_.top + padding.top, pos_.right - padding.right,
            pos_.bottom - padding.bottom};
  NativeEditOptions options;
  options.font = gdiFont(manager->fonts().get(getFont()), scalePercent());
  options.password = password_;
  options.accessibleName = accessibleName(*this);
  options.maxChars = maxChars_;
  // As tall as one line of text, centred like the drawn text.
  HDC dc = measureDC();
  HGDIOBJ old = SelectObject(dc, options.font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  int lineHeight = std::min<int>(metrics.tmHeight + scaled(2), area.bottom - area.top);
  area.top += ((area.bottom - area.top) - lineHeight) / 2;
  area.bottom = area.top + lineHeight;
  POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
  MapWindowPoints(manager->getPaintWindow(), nullptr, corners, 2);
  RECT screen{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  native_ = NativeEdit::open(this, manager->getPaintWindow(), screen, text_, options);
}

void CEditUI::closeNative() {
  if (!native_) return;
  NativeEdit* native = native_;
  native_ = nullptr;
  text_ = native->text();
  native->close();
}

void CEditUI::nativeFocusLost() {
  // The user clicked another window: the control loses the focus too.
  if (getManager() && getManager()->getFocus() == this) {
    getManager()->setFocus(nullptr);
  } else {
    closeNative();
  }
}

void CEditUI::nativeDestroyed() { native_ = nullptr; }

HBRUSH CEditUI::nativeColors(HDC dc) {
  COLORREF background = RGB((nativeBkColor_ >> 16) & 0xFF, (nativeBkColor_ >> 8) & 0xFF, nativeBkColor_ & 0xFF);
  DWORD text = getTextColor();
  SetTextColor(dc, RGB((text >> 16) & 0xFF, (text >> 8) & 0xFF, text & 0xFF));
  SetBkColor(dc, background);
  if (!nativeBrush_) nativeBrush_ = CreateSolidBrush(background);
  return nativeBrush_;
}

void CEditUI::paintStatusImage(PaintContext& context) {
  const std::wstring* image = &normalImage_;
  if (!isEnabled() && !disabledImage_.empty()) {
    image = &disabledImage_;
  } else if (isFocused() && !focusedImage_.empty()) {
    image = &focusedImage_;
  } else if (isHot() && !hotImage_.empty()) {
    image = &hotImage_;
  }
  drawImage(context, pos_, *image);
}

void CEditUI::paintText(PaintContext& context) {
  if (native_) return;  // the system edit box shows the text
  RECT padding = scaledRect(getTextPadding());
  RECT area{pos_.left + padding.left, pos_.top + padding.top, pos_.right - padding.right,
            pos_.bottom - padding.bottom};
  if (text_.empty()) {
    std::wstring tip = tipValue_;
    resolveLangText(tip);
    drawPlainText(context, area, tip, textStyle(tipValueColor_));
    return;
  }
  std::wstring shown = password_ ? std::wstring(text_.size(), L'\x25CF') : text_;
  TextStyle style = textStyle(currentTextColor());
  style.endEllipsis = true;
  style.leftToRight = true;  // typed data, such as a folder
  drawPlainText(context, area, shown, style);
}

}  // namespace DuiLib
