#include "toolkit/paint_manager.h"

#include <algorithm>

#include "toolkit/accessible.h"
#include "toolkit/button.h"
#include "toolkit/dpi.h"
#include "toolkit/edit.h"
#include "toolkit/option.h"
#include "toolkit/shapes.h"
#include "utility/log.h"

namespace DuiLib {

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
  // Controls tell the manager when they go; it must still be whole then.
  root_.reset();
  for (const auto& [id, timer] : timers_) {
    if (window_) KillTimer(window_, id);
  }
}

void CPaintManagerUI::init(HWND window, int scalePercent) {
  window_ = window;
  scalePercent_ = scalePercent > 0 ? scalePercent : 100;
}

const std::wstring* CPaintManagerUI::defaultAttributes(const std::wstring& className) const {
  auto found = style_.defaults.find(className);
  return found != style_.defaults.end() ? &found->second : nullptr;
}

void CPaintManagerUI::attachRoot(std::unique_ptr<CControlUI> root) {
  focus_ = hot_ = captured_ = nullptr;
  root_ = std::move(root);
  if (root_) root_->setManager(this, nullptr);
  invalidate();
}

CControlUI* CPaintManagerUI::findControl(std::wstring_view name) const {
  return root_ && !name.empty() ? root_->findControl(name) : nullptr;
}

CControlUI* CPaintManagerUI::findControlAt(POINT point) const {
  return root_ ? root_->findControlAt(point) : nullptr;
}

void CPaintManagerUI::layout(const RECT& client) {
  if (!root_) return;
  RECT padding = root_->scaledRect(root_->getPadding());
  RECT pos{client.left + padding.left, client.top + padding.top, client.right - padding.right,
           client.bottom - padding.bottom};
  SIZE fixed = root_->estimateSize({pos.right - pos.left, pos.bottom - pos.top});
  if (fixed.cx > 0) pos.right = pos.left + fixed.cx;
  if (fixed.cy > 0) pos.bottom = pos.top + fixed.cy;
  root_->setPos(pos);
}

void CPaintManagerUI::sendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam) {
  if (!notifier_) return;
  TNotifyUI msg{type, sender, wParam, lParam};
  notifier_->notify(msg);
}

namespace {

// True when `control` is an edit control whose system edit box has the keyboard.
bool editBoxHasKeyboard(CControlUI* control) {
  auto* edit = control ? dynamic_cast<CEditUI*>(control) : nullptr;
  return edit && edit->nativeWindow() && GetFocus() == edit->nativeWindow();
}

}  // namespace

void CPaintManagerUI::setFocus(CControlUI* control) {
  if (control == focus_) return;
  CControlUI* old = focus_;
  bool native = control && control->getInterface(L"Edit") != nullptr;
  // Leaving an edit box for a control drawn here, the window takes the
  // keyboard back with that control already focused: a reader that asks the
  // window then finds the control, never the bare window.
  CControlUI* takesOver =
      control && !native && window_ && editBoxHasKeyboard(old) ? control : nullptr;
  focus_ = takesOver;
  if (takesOver) ::SetFocus(window_);
  if (old) {
    TEventUI event{UIEvent::KillFocus};
    old->doEvent(event);
  }
  // A killfocus handler may have moved the focus itself; that choice stands.
  if (focus_ != takesOver || !control) {
    if (!focus_ && window_ && (GetActiveWindow() == window_ || GetFocus() == nullptr)) ::SetFocus(window_);
    if (!focus_) raiseFocusEvent(nullptr);
    invalidate();
    return;
  }
  focus_ = control;
  if (!native && window_ && GetActiveWindow() == window_) ::SetFocus(window_);
  TEventUI event{UIEvent::SetFocus};
  control->doEvent(event);
  // The system edit box that an edit control opens tells of its focus itself.
  if (!native && focus_ == control) raiseFocusEvent(control);
  invalidate();
}

bool CPaintManagerUI::moveFocus(bool backward) {
  if (!root_) return false;
  std::vector<CControlUI*> stops;
  root_->forEach([&](CControlUI* control) {
    if (control->wantsFocus() && control->isVisible() && control->isEnabled()) stops.push_back(control);
  });
  if (stops.empty()) return false;
  std::stable_sort(stops.begin(), stops.end(), [](const CControlUI* a, const CControlUI* b) {
    return a->getTabOrder() < b->getTabOrder();
  });
  auto current = std::find(stops.begin(), stops.end(), focus_);
  size_t index = 0;
  if (current != stops.end()) {
    size_t at = static_cast<size_t>(current - stops.begin());
    index = backward ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
  } else if (backward) {
    index = stops.size() - 1;
  }
  focusCues_ = true;
  setFocus(stops[index]);
  return true;
}

bool CPaintManagerUI::focusPageControl() {
  if (!root_ || !window_) return false;
  CControlUI* target = nullptr;
  root_->forEach([&](CControlUI* control) {
    if (!target && control->takesPageFocus() && control->isVisible() && control->isEnabled())
      target = control;
  });
  if (target) setFocus(target);
  return target != nullptr;
}

CButtonUI* CPaintManagerUI::defaultButton() const {
  CButtonUI* found = nullptr;
  if (!root_) return nullptr;
  root_->forEach([&](CControlUI* control) {
    auto* button = static_cast<CButtonUI*>(control->getInterface(L"Button"));
    if (!found && button && button->isDefault() && button->isVisible() && button->isEnabled()) found = button;
  });
  return found;
}

bool CPaintManagerUI::translateKey(WPARAM key, bool shift, bool repeat,
                                   const std::function<bool()>& escape) {
  CControlUI* focus = focus_;
  bool editing = focus && focus->getInterface(L"Edit");
  auto* focusedButton = focus ? static_cast<CButtonUI*>(focus->getInterface(L"Button")) : nullptr;
  switch (key) {
    case VK_TAB:
      return moveFocus(shift);
    case VK_RETURN: {
      if (editing) {
        setFocus(nullptr);  // Enter ends the typing, as leaving the box does
        return true;
      }
      // Space ticks a check box; Enter is for the button the window is about.
      CButtonUI* pressed =
          focusedButton && !focus->getInterface(L"Option") ? focusedButton : defaultButton();
      if (!pressed) return false;
      if (!repeat) pressed->click();
      return true;
    }
    case VK_SPACE:
      if (!focusedButton) return false;
      if (!repeat) focusedButton->click();
      return true;
    case VK_ESCAPE:
      if (editing) {
        setFocus(nullptr);
        return true;
      }
      return repeat || (escape && escape());
    default:
      return false;
  }
}

void CPaintManagerUI::raiseAccessibleEvent(DWORD event, const CControlUI* control) {
  if (window_)
    NotifyWinEvent(event, window_, OBJID_CLIENT, control ? control->accessibleId() : CHILDID_SELF);
}

void CPaintManagerUI::raiseFocusEvent(const CControlUI* control) {
  // Only the window with the system's keyboard focus tells of its focus.
  if (window_ && GetFocus() == window_) raiseAccessibleEvent(EVENT_OBJECT_FOCUS, control);
}

void CPaintManagerUI::windowFocused() {
  if (focus_) raiseFocusEvent(focus_);
}

void CPaintManagerUI::showFocusCues() {
  if (focusCues_) return;
  focusCues_ = true;
  invalidate();
}

void CPaintManagerUI::announceAlerts() {
  if (!alertsDue_ || !root_ || !isShowing()) return;
  alertsDue_ = false;
  std::map<long, std::wstring> shown;
  root_->forEach([&](CControlUI* control) {
    if (control->accessibleRole() != AccessibleRole::Alert || !isAccessible(*control)) return;
    std::wstring said = accessibleName(*control);
    auto before = announcedAlerts_.find(control->accessibleId());
    if (before == announcedAlerts_.end() || before->second != said)
      raiseAccessibleEvent(EVENT_SYSTEM_ALERT, control);
    shown[control->accessibleId()] = said;
  });
  announcedAlerts_.swap(shown);
}

bool CPaintManagerUI::contains(const CControlUI* ancestor, const CControlUI* control) const {
  for (; control; control = control->getParent()) {
    if (control == ancestor) return true;
  }
  return false;
}

void CPaintManagerUI::forgetControl(CControlUI* control) {
  if (focus_ == control) focus_ = nullptr;
  if (hot_ == control) {
    hot_ = nullptr;
    tooltip_.hide();
  }
  if (captured_ == control) captured_ = nullptr;
  for (auto timer = timers_.begin(); timer != timers_.end();) {
    if (timer->second.control == control) {
      if (window_) KillTimer(window_, timer->first);
      timer = timers_.erase(timer);
    } else {
      ++timer;
    }
  }
}

void CPaintManagerUI::controlHidden(CControlUI* control) {
  // A reader would otherwise find the focus on the bare window.
  if (focus_ && contains(control, focus_) && !focusPageControl()) setFocus(nullptr);
  if (hot_ && contains(control, hot_)) setHot(nullptr);
  if (captured_ && contains(control, captured_)) {
    captured_->clearMouseState();
    captured_ = nullptr;
  }
}

void CPaintManagerUI::addOptionGroup(const std::wstring& group, COptionUI* option) {
  auto& members = optionGroups_[group];
  if (std::find(members.begin(), members.end(), option) == members.end()) members.push_back(option);
}

void CPaintManagerUI::removeOptionGroup(const std::wstring& group, COptionUI* option) {
  auto found = optionGroups_.find(group);
  if (found == optionGroups_.end()) return;
  auto& members = found->second;
  members.erase(std::remove(members.begin(), members.end(), option), members.end());
}

const std::vector<COptionUI*>& CPaintManagerUI::optionGroup(const std::wstring& group) {
  return optionGroups_[group];
}

bool CPaintManagerUI::setTimer(CControlUI* control, UINT id, UINT intervalMs) {
  if (!window_ || !control) return false;
  killTimer(control, id);
  UINT_PTR windowTimer = nextTimer_++;
  if (!SetTimer(window_, windowTimer, std::max<UINT>(intervalMs, 10), nullptr)) return false;
  timers_[windowTimer] = {control, id};
  return true;
}

void CPaintManagerUI::killTimer(CControlUI* control, UINT id) {
  for (auto timer = timers_.begin(); timer != timers_.end(); ++timer) {
    if (timer->second.control == control && timer->second.id == id) {
      if (window_) KillTimer(window_, timer->first);
      timers_.erase(timer);
      return;
    }
  }
}

void CPaintManagerUI::onTimer(UINT_PTR id) {
  auto found = timers_.find(id);
  if (found == timers_.end()) return;
  TEventUI event{UIEvent::Timer};
  event.wParam = found->second.id;
  found->second.control->doEvent(event);
}

void CPaintManagerUI::invalidate() {
  dirty_ = true;
  scheduleRender(nullptr);
}

void CPaintManagerUI::invalidate(const RECT& part) {
  if (IsRectEmpty(&part)) return;
  if (!dirty_) UnionRect(&dirtyPart_, &dirtyPart_, &part);
  scheduleRender(&part);
}

bool CPaintManagerUI::renderDue() const { return dirty_ || !IsRectEmpty(&dirtyPart_); }

void CPaintManagerUI::scheduleRender(const RECT* part) {
  if (!window_) return;
  if (!isLayered()) {
    InvalidateRect(window_, part, FALSE);
  } else if (!renderPosted_) {
    renderPosted_ = PostMessageW(window_, kRenderMessage, 0, 0) != FALSE;
  }
}

void CPaintManagerUI::render() {
  RECT part = dirtyPart_;
  bool whole = dirty_ || IsRectEmpty(&part);
  dirty_ = false;
  dirtyPart_ = {};
  if (!window_ || !root_) return;
  RECT client;
  GetClientRect(window_, &client);
  if (content_.width() != client.right || content_.height() != client.bottom) whole = true;
  if (!content_.resize(client.right, client.bottom)) return;
  if (whole) {
    layout(client);
    part = client;
  } else if (!IntersectRect(&part, &part, &client)) {
    return;
  }
  content_.clear(part, 0);
  PaintContext context = content_.context(part, scalePercent_);
  root_->paint(context);
  paintFocusMark(context);
  GdiFlush();
  if (childrenChanged_) {
    childrenChanged_ = false;
    raiseAccessibleEvent(EVENT_OBJECT_REORDER, nullptr);
  }
  announceAlerts();
  if (!isLayered()) return;
  if (whole) {
    SIZE corner{scaleByPercent(style_.window.roundCorner.cx, scalePercent_),
                scaleByPercent(style_.window.roundCorner.cy, scalePercent_)};
    layered_.compose(content_, style_.window.layeredImage, root_->getPos(), corner, scalePercent_);
    presentLayered(window_, layered_.surface());
  } else {
    layered_.update(content_, part);
    presentLayered(window_, layered_.surface(), &part);
  }
}

void CPaintManagerUI::paintFocusMark(PaintContext& context) const {
  if (!focusCues_ || !focus_ || !focus_->isVisible()) return;
  // Around the control, a little apart from it, so that it shows on a
  // control of the accent's own colour too.
  RECT ring = focus_->getPos();
  const int gap = scaleByPercent(3, scalePercent_);
  InflateRect(&ring, gap, gap);
  DWORD accent = style_.window.accentColor ? style_.window.accentColor : 0xFF4C9AFF;
  // Rounded like the skin's buttons, and no more than a small box allows.
  int radius = std::min<int>(scaleByPercent(10, scalePercent_), (ring.bottom - ring.top) / 2);
  drawRoundFrame(context, ring, accent, std::max(1, scaleByPercent(2, scalePercent_)), radius);
}

const Surface& CPaintManagerUI::picture() const { return isLayered() ? layered_.surface() : content_; }

HDC CPaintManagerUI::sharedMeasureDC() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

const FontTable& CPaintManagerUI::fallbackFonts() {
  static const FontTable* fonts = new FontTable();
  return *fonts;
}

}  // namespace DuiLib
