#include "toolkit/container.h"

#include <algorithm>

#include "toolkit/attribute_rules.h"
#include "toolkit/attribute_values.h"
#include "toolkit/paint_manager.h"
#include "toolkit/render.h"

namespace DuiLib {
namespace {

UINT parseAlign(const std::wstring& value) {
  if (value == L"center" || value == L"vcenter") return DT_CENTER;
  if (value == L"right" || value == L"bottom") return DT_RIGHT;
  return DT_LEFT;
}

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

// `placed` as seen in a mirror standing in the middle of `within`, for
// languages written right to left; unchanged otherwise.
RECT readingOrder(const RECT& placed, const RECT& within) {
  if (!isRightToLeftLanguage()) return placed;
  return {within.left + within.right - placed.right, placed.top,
          within.left + within.right - placed.left, placed.bottom};
}

}  // namespace

struct ContainerAttributes {
  static const AttributeRule<CContainerUI> rules[];
};

const AttributeRule<CContainerUI> ContainerAttributes::rules[] = {
    {L"inset", [](CContainerUI& c, const std::wstring& v) { c.setInset(parseRect(v)); }},
    {L"childpadding", [](CContainerUI& c, const std::wstring& v) { c.setChildPadding(parseInt(v)); }},
    {L"childalign", [](CContainerUI& c, const std::wstring& v) { c.childAlign_ = parseAlign(v); }},
    {L"childvalign", [](CContainerUI& c, const std::wstring& v) { c.childVAlign_ = parseAlign(v); }},
};

void* CContainerUI::getInterface(std::wstring_view name) {
  return name == L"Container" ? this : CControlUI::getInterface(name);
}

CControlUI* CContainerUI::getItemAt(int index) const {
  return index >= 0 && index < getCount() ? children_[index].get() : nullptr;
}

int CContainerUI::getItemIndex(const CControlUI* control) const {
  for (int i = 0; i < getCount(); ++i) {
    if (children_[i].get() == control) return i;
  }
  return -1;
}

CControlUI* CContainerUI::add(std::unique_ptr<CControlUI> control) {
  return addAt(std::move(control), getCount());
}

CControlUI* CContainerUI::addAt(std::unique_ptr<CControlUI> control, int index) {
  if (!control || index < 0 || index > getCount()) return nullptr;
  CControlUI* added = control.get();
  children_.insert(children_.begin() + index, std::move(control));
  added->setManager(getManager(), this);
  invalidate();
  return added;
}

bool CContainerUI::remove(CControlUI* control) {
  int index = getItemIndex(control);
  if (index < 0) return false;
  children_.erase(children_.begin() + index);
  invalidate();
  return true;
}

void CContainerUI::removeAll() {
  children_.clear();
  invalidate();
}

void CContainerUI::setInset(const RECT& inset) {
  inset_ = inset;
  invalidate();
}

void CContainerUI::setChildPadding(int padding) {
  childPadding_ = padding;
  invalidate();
}

bool CContainerUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  return applyAttributeRule(*this, ContainerAttributes::rules, name, value) || CControlUI::setAttribute(name, value);
}

void CContainerUI::setManager(CPaintManagerUI* manager, CControlUI* parent) {
  CControlUI::setManager(manager, parent);
  for (auto& child : children_) child->setManager(manager, this);
}

CControlUI* CContainerUI::findControl(std::wstring_view name) {
  if (CControlUI* self = CControlUI::findControl(name)) return self;
  for (auto& child : children_) {
    if (CControlUI* found = child->findControl(name)) return found;
  }
  return nullptr;
}

CControlUI* CContainerUI::findControlAt(POINT point) {
  if (!isOwnVisible() || !PtInRect(&pos_, point)) return nullptr;
  // Later children are drawn on top, so they are asked first.
  for (auto child = children_.rbegin(); child != children_.rend(); ++child) {
    if (CControlUI* found = (*child)->findControlAt(point)) return found;
  }
  return CControlUI::findControlAt(point);
}

void CContainerUI::forEach(const std::function<void(CControlUI*)>& visit) {
  visit(this);
  for (auto& child : children_) child->forEach(visit);
}

RECT CContainerUI::innerRect() const {
  RECT inset = scaledRect(inset_);
  RECT inner{pos_.left + inset.left, pos_.top + inset.top, pos_.right - inset.right, pos_.bottom - inset.bottom};
  if (inner.right < inner.left) inner.right = inner.left;
  if (inner.bottom < inner.top) inner.bottom = inner.top;
  return inner;
}

void CContainerUI::placeFloat(CControlUI* child) {
  RECT at = scaledRect(child->getFloatPos());
  SIZE size = child->estimateSize({width(pos_), height(pos_)});
  int w = size.cx > 0 ? size.cx : width(pos_) - at.left;
  int h = size.cy > 0 ? size.cy : height(pos_) - at.top;
  child->setPos(readingOrder(
      {pos_.left + at.left, pos_.top + at.top, pos_.left + at.left + w, pos_.top + at.top + h},
      pos_));
}

void CContainerUI::setPos(const RECT& pos) {
  CControlUI::setPos(pos);
  RECT inner = innerRect();
  for (auto& child : children_) {
    if (!child->isOwnVisible()) continue;
    if (child->isFloat()) {
      placeFloat(child.get());
      continue;
    }
    RECT padding = child->scaledRect(child->getPadding());
    child->setPos(readingOrder({inner.left + padding.left, inner.top + padding.top,
                                inner.right - padding.right, inner.bottom - padding.bottom},
                               inner));
  }
}

void CContainerUI::layoutLine(bool horizontal) {
  struct Slot {
    CControlUI* child;
    SIZE size;
    RECT padding;
    bool flexible;
  };
  const RECT inner = innerRect();
  const int along = horizontal ? width(inner) : height(inner);
  const int across = horizontal ? height(inner) : width(inner);
  const int gap = scaled(childPadding_);

  std::vector<Slot> slots;
  int fixedTotal = 0;
  int flexibleCount = 0;
  for (auto& child : children_) {
    if (!child->isOwnVisible()) continue;
    if (child->isFloat()) {
      placeFloat(child.get());
      continue;
    }
    Slot slot{child.get(), child->estimateSize({width(inner), height(inner)}),
              child->scaledRect(child->getPadding()), false};
    SIZE minSize = child->getMinSize();
    SIZE maxSize = child->getMaxSize();
    LONG& length = horizontal ? slot.size.cx : slot.size.cy;
    slot.flexible = length == 0;
    if (!slot.flexible) {
      length = std::clamp<LONG>(length, scaled(horizontal ? minSize.cx : minSize.cy),
                                std::max<LONG>(scaled(horizontal ? maxSize.cx : maxSize.cy), 0));
    }
    fixedTotal += (slot.flexible ? 0 : length) +
                  (horizontal ? slot.padding.left + slot.padding.right : slot.padding.top + slot.padding.bottom);
    flexibleCount += slot.flexible ? 1 : 0;
    slots.push_back(slot);
  }
  if (slots.empty()) return;
  fixedTotal += gap * static_cast<int>(slots.size() - 1);

  int remaining = std::max(0, along - fixedTotal);
  int cursor = horizontal ? inner.left : inner.top;
  const UINT alignAlong = horizontal ? childAlign_ : childVAlign_;
  const UINT alignAcross = horizontal ? childVAlign_ : childAlign_;
  if (flexibleCount == 0 && alignAlong == DT_CENTER) cursor += remaining / 2;
  if (flexibleCount == 0 && alignAlong == DT_RIGHT) cursor += remaining;

  int flexibleLeft = flexibleCount;
  for (Slot& slot : slots) {
    SIZE minSize = slot.child->getMinSize();
    int length = horizontal ? slot.size.cx : slot.size.cy;
    if (slot.flexible) {
      // The last flexible child takes the rounding remainder.
      length = flexibleLeft == 1 ? remaining : remaining / flexibleLeft;
      length = std::max(length, scaled(horizontal ? minSize.cx : minSize.cy));
      remaining = std::max(0, remaining - length);
      --flexibleLeft;
    }
    const int before = horizontal ? slot.padding.left : slot.padding.top;
    const int after = horizontal ? slot.padding.right : slot.padding.bottom;
    const int acrossBefore = horizontal ? slot.padding.top : slot.padding.left;
    const int acrossAfter = horizontal ? slot.padding.bottom : slot.padding.right;
    int acrossLength = horizontal ? slot.size.cy : slot.size.cx;
    int acrossStart = (horizontal ? inner.top : inner.left) + acrossBefore;
    if (acrossLength == 0) {
      acrossLength = std::max(0, across - acrossBefore - acrossAfter);
    } else if (alignAcross == DT_CENTER) {
      acrossStart += (across - acrossBefore - acrossAfter - acrossLength) / 2;
    } else if (alignAcross == DT_RIGHT) {
      acrossStart += across - acrossBefore - acrossAfter - acrossLength;
    }
    int start = cursor + before;
    RECT placed = horizontal ? RECT{start, acrossStart, start + length, acrossStart + acrossLength}
                             : RECT{acrossStart, start, acrossStart + acrossLength, start + length};
    slot.child->setPos(readingOrder(placed, inner));
    cursor = start + length + after + gap;
  }
}

void CContainerUI::paintChildren(PaintContext& context) {
  RECT visible;
  if (!IntersectRect(&visible, &pos_, &context.clip)) return;
  ClipScope clip(context, pos_);
  for (auto& child : children_) {
    if (child->isOwnVisible()) child->paint(context);
  }
}

void CContainerUI::paint(PaintContext& context) {
  CControlUI::paint(context);
  paintChildren(context);
}

void* CVerticalLayoutUI::getInterface(std::wstring_view name) {
  return name == L"VerticalLayout" ? this : CContainerUI::getInterface(name);
}

void CVerticalLayoutUI::setPos(const RECT& pos) {
  CControlUI::setPos(pos);
  layoutLine(false);
}

void* CHorizontalLayoutUI::getInterface(std::wstring_view name) {
  return name == L"HorizontalLayout" ? this : CContainerUI::getInterface(name);
}

bool CHorizontalLayoutUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name != L"autocalcwidth") return CContainerUI::setAttribute(name, value);
  autoWidth_ = parseBool(value);
  invalidate();
  return true;
}

SIZE CHorizontalLayoutUI::estimateSize(SIZE available) {
  SIZE size = CContainerUI::estimateSize(available);
  if (!autoWidth_) return size;
  RECT inset = scaledRect(getInset());
  int total = inset.left + inset.right;
  int shown = 0;
  for (auto& child : children_) {
    if (!child->isOwnVisible() || child->isFloat()) continue;
    RECT padding = child->scaledRect(child->getPadding());
    total += child->estimateSize(available).cx + padding.left + padding.right;
    ++shown;
  }
  size.cx = total + scaled(getChildPadding()) * std::max(0, shown - 1);
  return size;
}

void CHorizontalLayoutUI::setPos(const RECT& pos) {
  CControlUI::setPos(pos);
  layoutLine(true);
}

void* CTabLayoutUI::getInterface(std::wstring_view name) {
  return name == L"TabLayout" ? this : CContainerUI::getInterface(name);
}

bool CTabLayoutUI::selectItem(int index) {
  if (index < 0 || index >= getCount()) return false;
  selected_ = index;
  // The new page shows before the old one hides, so that a focus left on the
  // old one moves straight onto the new one (CPaintManagerUI::controlHidden).
  children_[index]->setVisible(true);
  CPaintManagerUI* manager = getManager();
  bool focusNowhere = manager && !manager->getFocus();
  showSelected();
  if (focusNowhere) manager->focusPageControl();
  return true;
}

CControlUI* CTabLayoutUI::addAt(std::unique_ptr<CControlUI> control, int index) {
  CControlUI* added = CContainerUI::addAt(std::move(control), index);
  if (added) showSelected();
  return added;
}

bool CTabLayoutUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"selectedid") {
    selected_ = parseInt(value);
    showSelected();
    return true;
  }
  return CContainerUI::setAttribute(name, value);
}

void CTabLayoutUI::showSelected() {
  for (int i = 0; i < getCount(); ++i) children_[i]->setVisible(i == selected_);
}

}  // namespace DuiLib
