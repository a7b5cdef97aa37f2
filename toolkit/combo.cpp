#include "toolkit/combo.h"

#include "toolkit/attribute_values.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {

CComboUI::CComboUI() = default;

void* CComboUI::getInterface(std::wstring_view name) {
  return name == L"Combo" ? this : CContainerUI::getInterface(name);
}

bool CComboUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"normalimage") {
    normalImage_ = value;
  } else if (name == L"hotimage") {
    hotImage_ = value;
  } else if (name == L"pushedimage") {
    pushedImage_ = value;
  } else if (name == L"textpadding") {
    textPadding_ = parseRect(value);
  } else if (name == L"textcolor" || name == L"itemtextcolor") {
    parseColor(value, textColor_);
  } else if (name == L"font" || name == L"itemfont") {
    font_ = parseInt(value);
  } else if (name == L"selectedid") {
    selected_ = parseInt(value);
  } else {
    return CContainerUI::setAttribute(name, value);
  }
  invalidate();
  return true;
}

void CComboUI::setPos(const RECT& pos) { CControlUI::setPos(pos); }

CControlUI* CComboUI::findControlAt(POINT point) { return CControlUI::findControlAt(point); }

bool CComboUI::selectItem(int index, bool notify) {
  if (index < -1 || index >= getCount()) return false;
  if (index == getCurSel()) return true;
  selected_ = index;
  redraw();
  notifyAccessible(EVENT_OBJECT_VALUECHANGE);
  if (notify) sendNotify(L"itemselect", static_cast<WPARAM>(index));
  return true;
}

bool CComboUI::accessibleValue(std::wstring& value) const {
  CControlUI* item = getItemAt(getCurSel());
  value = item ? item->resolvedText() : L"";
  return true;
}

void CComboUI::paint(PaintContext& context) {
  RECT visible;
  if (!IntersectRect(&visible, &pos_, &context.clip)) return;
  ClipScope clip(context, pos_);
  paintBkColor(context);
  paintBkImage(context);
  const std::wstring& image = isPushed() && !pushedImage_.empty() ? pushedImage_
                              : isHot() && !hotImage_.empty()    ? hotImage_
                                                                 : normalImage_;
  drawImage(context, pos_, image);
  CControlUI* item = getItemAt(getCurSel());
  if (item) {
    RECT padding = scaledRect(textPadding_);
    RECT area{pos_.left + padding.left, pos_.top + padding.top, pos_.right - padding.right,
              pos_.bottom - padding.bottom};
    TextStyle style;
    style.fonts = getManager() ? &getManager()->fonts() : &CPaintManagerUI::fallbackFonts();
    style.fontId = font_;
    style.color = textColor_;
    style.endEllipsis = true;
    drawPlainText(context, area, item->resolvedText(), style);
  }
  paintBorder(context);
}

void CComboUI::activate() {
  CPaintManagerUI* manager = getManager();
  if (!manager || !manager->getPaintWindow() || getCount() == 0) return;
  HMENU menu = CreatePopupMenu();
  for (int i = 0; i < getCount(); ++i) {
    UINT flags = MF_STRING | (i == getCurSel() ? MF_CHECKED : 0);
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(i + 1), getItemAt(i)->resolvedText().c_str());
  }
  POINT below{pos_.left, pos_.bottom};
  ClientToScreen(manager->getPaintWindow(), &below);
  int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, below.x, below.y, 0,
                              manager->getPaintWindow(), nullptr);
  DestroyMenu(menu);
  if (chosen > 0) selectItem(chosen - 1, true);
}

}  // namespace DuiLib
