// What a reader and the keyboard find on the offer host. The host speaks as a
// dialog named by the offer's title, of its title, the offer area (the
// container as the system's own object, so that the partner's content inside
// stays the partner's), Accept, Reject, the owner's link to the partner's
// terms and Close, with names and default actions in the current language.
// Tab and Shift+Tab move through Accept, Reject, the terms link and Close;
// Enter and Space press the one focused and nothing else (never Accept by
// default); Escape acts as the close button. The window classes and texts of
// the host stay as they are: the partner's library may look for them. UI
// thread only.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/accessible_source.h"

class SDKAPIImpl;

namespace DuiLib {
class AccessibleWindow;
class NamedAccessible;
}  // namespace DuiLib

namespace offer {

class OfferHostAccess final : public DuiLib::AccessibleSource {
 public:
  // The host's children, by the ids a reader knows them by.
  enum Child : long { kTitle = 1, kOfferArea, kAccept, kReject, kTerms, kClose };

  explicit OfferHostAccess(SDKAPIImpl& host) : host_(host) {}
  OfferHostAccess(const OfferHostAccess&) = delete;
  OfferHostAccess& operator=(const OfferHostAccess&) = delete;

  long windowRole() const override { return ROLE_SYSTEM_DIALOG; }
  std::wstring windowName() const override;
  std::vector<long> children() const override;
  bool describe(long id, DuiLib::AccessibleElement& element) const override;
  IDispatch* childObject(long id) const override;
  long focused() const override { return focus_; }
  bool takeFocus(long id) override;
  long childAt(POINT screen) const override;
  void doDefaultAction(long id) override;

  // What the host window does with its messages: WM_GETOBJECT; WM_KEYDOWN
  // (true when the key was taken); WM_SETFOCUS; its painting, after the
  // background; WM_DESTROY.
  LRESULT answerAccessible(HWND window, WPARAM wParam, LPARAM lParam);
  bool onKey(WPARAM key, bool shift, bool repeat);
  void onHostFocused() const;
  void paintFocusMark(HDC dc) const;
  void onHostDestroyed();
  // The offer is on screen with its buttons: a reader hears the dialog.
  void onDisplayed();

  // The source of the host window `window` (a DuiLib::AccessibleSourceFinder).
  static DuiLib::AccessibleSource* of(HWND window);

 private:
  // The child's own window; null for the terms link, which is the owner's.
  HWND windowOf(long id) const;
  bool shown(long id) const;
  // The child's place in screen pixels, and its name where it is not ours.
  bool locate(long id, RECT& place, std::wstring* name = nullptr) const;
  std::vector<long> tabStops() const;
  void focus(long id);
  void redrawMark(long id) const;
  void press(long id);
  HWND host() const;

  SDKAPIImpl& host_;
  long focus_ = CHILDID_SELF;
  bool dialogAnnounced_ = false;
  // Made at the first question: the client area, and the window around it
  // (named by the title too, not by its window text).
  DuiLib::AccessibleWindow* object_ = nullptr;
  DuiLib::NamedAccessible* frame_ = nullptr;
};

}  // namespace offer
