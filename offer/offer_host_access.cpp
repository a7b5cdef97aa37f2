#include "offer/offer_host_access.h"

#include <algorithm>

#include "offer/offer_art.h"
#include "offer/offer_host_texts.h"
#include "offer/offer_host_windows.h"
#include "offer/sdk_api_impl.h"
#include "toolkit/accessible.h"
#include "toolkit/accessible_object.h"
#include "toolkit/named_accessible.h"

namespace offer {
namespace {

constexpr long kPressable[] = {OfferHostAccess::kAccept, OfferHostAccess::kReject,
                               OfferHostAccess::kClose};

bool pressable(long id) {
  return std::find(std::begin(kPressable), std::end(kPressable), id) != std::end(kPressable);
}

HostText textOf(long id) {
  switch (id) {
    case OfferHostAccess::kAccept:
      return HostText::kAccept;
    case OfferHostAccess::kReject:
      return HostText::kReject;
    case OfferHostAccess::kClose:
      return HostText::kClose;
    default:
      return HostText::kTitle;
  }
}

}  // namespace

DuiLib::AccessibleSource* OfferHostAccess::of(HWND window) {
  SDKAPIImpl* host = hostOfWindow(window);
  return host && host->hostWindow() == window ? &host->access() : nullptr;
}

HWND OfferHostAccess::host() const { return host_.hostWindow(); }

std::wstring OfferHostAccess::windowName() const { return hostText(HostText::kTitle); }

HWND OfferHostAccess::windowOf(long id) const {
  switch (id) {
    case kTitle:
      return host_.titleWindow();
    case kOfferArea:
      return host_.containerWindow();
    case kAccept:
      return host_.acceptWindow();
    case kReject:
      return host_.rejectWindow();
    case kClose:
      return host_.closeWindow();
    default:
      return nullptr;
  }
}

bool OfferHostAccess::locate(long id, RECT& place, std::wstring* name) const {
  if (id != kTerms) {
    HWND window = windowOf(id);
    return window && GetWindowRect(window, &place);
  }
  const SDKAPIImpl::TermsLink& link = host_.termsLink();
  std::wstring said;
  if (!link.find || !link.find(said, place) || said.empty()) return false;
  if (name) *name = said;
  return true;
}

bool OfferHostAccess::shown(long id) const {
  if (id == kTerms) {
    RECT place;
    return locate(kTerms, place);
  }
  HWND window = windowOf(id);
  return window && IsWindowVisible(window);
}

std::vector<long> OfferHostAccess::children() const {
  std::vector<long> seen;
  if (!host()) return seen;
  for (long id : {kTitle, kOfferArea, kAccept, kReject, kTerms, kClose}) {
    if (shown(id)) seen.push_back(id);
  }
  return seen;
}

std::vector<long> OfferHostAccess::tabStops() const {
  std::vector<long> stops;
  for (long id : {kAccept, kReject, kTerms, kClose}) {
    if (shown(id)) stops.push_back(id);
  }
  return stops;
}

bool OfferHostAccess::describe(long id, DuiLib::AccessibleElement& element) const {
  if (!host() || id < kTitle || id > kClose || !locate(id, element.place, &element.name))
    return false;
  if (!shown(id)) element.state |= STATE_SYSTEM_INVISIBLE;
  switch (id) {
    case kTitle:
      element.role = ROLE_SYSTEM_STATICTEXT;
      element.name = hostText(HostText::kTitle);
      element.state |= STATE_SYSTEM_READONLY;
      return true;
    case kOfferArea:
      // The partner's content is inside: the system's object for it says the rest.
      element.role = ROLE_SYSTEM_CLIENT;
      return true;
    case kTerms:
      element.role = ROLE_SYSTEM_LINK;
      element.state |= STATE_SYSTEM_LINKED;
      element.action = DuiLib::actionWord(L"action_jump", L"Jump");
      break;
    default:
      element.role = ROLE_SYSTEM_PUSHBUTTON;
      element.name = hostText(textOf(id));
      element.action = DuiLib::actionWord(L"action_press", L"Press");
      break;
  }
  element.state |= STATE_SYSTEM_FOCUSABLE;
  if (focus_ == id && GetFocus() == host()) element.state |= STATE_SYSTEM_FOCUSED;
  return true;
}

IDispatch* OfferHostAccess::childObject(long id) const {
  HWND container = id == kOfferArea ? windowOf(kOfferArea) : nullptr;
  IDispatch* object = nullptr;
  if (container && FAILED(CreateStdAccessibleObject(container, OBJID_CLIENT, __uuidof(IDispatch),
                                                    reinterpret_cast<void**>(&object))))
    object = nullptr;
  return object;
}

bool OfferHostAccess::takeFocus(long id) {
  std::vector<long> stops = tabStops();
  if (id != CHILDID_SELF && std::find(stops.begin(), stops.end(), id) == stops.end()) return false;
  focus(id);
  return true;
}

long OfferHostAccess::childAt(POINT screen) const {
  // The buttons lie over the offer area's edge: they are asked first.
  for (long id : {kAccept, kReject, kClose, kTitle, kOfferArea}) {
    RECT place;
    if (shown(id) && locate(id, place) && PtInRect(&place, screen)) return id;
  }
  return CHILDID_SELF;
}

void OfferHostAccess::doDefaultAction(long id) {
  std::vector<long> stops = tabStops();
  if (std::find(stops.begin(), stops.end(), id) != stops.end()) press(id);
}

LRESULT OfferHostAccess::answerAccessible(HWND window, WPARAM wParam, LPARAM lParam) {
  // The object id is a 32-bit value, sign-extended or not in a 64-bit lParam.
  LONG objectId = static_cast<LONG>(lParam);
  if (window == host() && objectId == OBJID_CLIENT) {
    if (!object_) object_ = DuiLib::AccessibleWindow::create(window, &OfferHostAccess::of);
    return object_->answer(wParam);
  }
  if (window == host() && objectId == OBJID_WINDOW) {
    if (!frame_) frame_ = DuiLib::NamedAccessible::create(window, OBJID_WINDOW, windowName());
    if (frame_) return frame_->answer(wParam);
  }
  return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
}

bool OfferHostAccess::onKey(WPARAM key, bool shift, bool repeat) {
  switch (key) {
    case VK_TAB: {
      std::vector<long> stops = tabStops();
      if (stops.empty()) return false;
      auto at = std::find(stops.begin(), stops.end(), focus_);
      size_t next = shift ? stops.size() - 1 : 0;
      if (at != stops.end()) {
        size_t index = static_cast<size_t>(at - stops.begin());
        next = shift ? (index + stops.size() - 1) % stops.size() : (index + 1) % stops.size();
      }
      focus(stops[next]);
      return true;
    }
    case VK_RETURN:
    case VK_SPACE:
      // Only what has the focus: nothing is pressed for the user by default.
      if (!repeat && focus_ != CHILDID_SELF) doDefaultAction(focus_);
      return true;
    case VK_ESCAPE:
      if (!repeat) host_.onClose();
      return true;
    default:
      return false;
  }
}

void OfferHostAccess::focus(long id) {
  if (id == focus_) return;
  long old = focus_;
  focus_ = id;
  const SDKAPIImpl::TermsLink& link = host_.termsLink();
  if (old == kTerms && link.showFocus) link.showFocus(false);
  if (id == kTerms && link.showFocus) link.showFocus(true);
  redrawMark(old);
  redrawMark(id);
  onHostFocused();
}

void OfferHostAccess::onHostFocused() const {
  // Only the window with the system's keyboard focus tells of its focus.
  if (focus_ != CHILDID_SELF && host() && GetFocus() == host())
    NotifyWinEvent(EVENT_OBJECT_FOCUS, host(), OBJID_CLIENT, focus_);
}

void OfferHostAccess::redrawMark(long id) const {
  HWND window = pressable(id) ? windowOf(id) : nullptr;
  if (!window || !host()) return;
  RECT place;
  GetWindowRect(window, &place);
  MapWindowPoints(nullptr, host(), reinterpret_cast<POINT*>(&place), 2);
  RECT area = OfferArt::get(host_.scalePercent()).focusMarkArea(place);
  RedrawWindow(host(), &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void OfferHostAccess::paintFocusMark(HDC dc) const {
  if (!pressable(focus_) || !shown(focus_)) return;
  RECT place;
  GetWindowRect(windowOf(focus_), &place);
  MapWindowPoints(nullptr, host(), reinterpret_cast<POINT*>(&place), 2);
  OfferArt::get(host_.scalePercent()).drawFocusMark(dc, place);
}

void OfferHostAccess::press(long id) {
  // Each may end the offer step and destroy the host: nothing follows.
  switch (id) {
    case kAccept:
      host_.onAccept();
      break;
    case kReject:
      host_.onReject();
      break;
    case kClose:
      host_.onClose();
      break;
    case kTerms:
      if (host_.termsLink().open) host_.termsLink().open();
      break;
    default:
      break;
  }
}

void OfferHostAccess::onDisplayed() {
  if (!host()) return;
  NotifyWinEvent(EVENT_OBJECT_REORDER, host(), OBJID_CLIENT, CHILDID_SELF);
  if (dialogAnnounced_) return;
  dialogAnnounced_ = true;
  NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, host(), OBJID_WINDOW, CHILDID_SELF);
}

void OfferHostAccess::onHostDestroyed() {
  if (dialogAnnounced_ && host())
    NotifyWinEvent(EVENT_SYSTEM_DIALOGEND, host(), OBJID_WINDOW, CHILDID_SELF);
  dialogAnnounced_ = false;
  // The owner's link keeps its mark only while this order passes through it,
  // and not once the owner has the keyboard again.
  const SDKAPIImpl::TermsLink& link = host_.termsLink();
  if (focus_ == kTerms && link.showFocus) link.showFocus(false);
  focus_ = CHILDID_SELF;
  if (object_) {
    object_->disconnect();
    object_->Release();
    object_ = nullptr;
  }
  if (frame_) {
    frame_->disconnect();
    frame_->Release();
    frame_ = nullptr;
  }
}

}  // namespace offer
