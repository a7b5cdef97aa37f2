// The offer host's native windows: the borderless host over the main window
// and its five children (Accept, Reject, close, title, the library's
// container), their classes, painting, clicks and keys; the host answers
// assistive technology (offer/offer_host_access.h). Every window reaches its
// SDKAPIImpl through its user data. UI thread only.
#pragma once
#include <windows.h>

#include "offer/offer_host_layout.h"

class SDKAPIImpl;

namespace offer {

struct OfferHostWindows {
  HWND host = nullptr;
  HWND accept = nullptr;
  HWND reject = nullptr;
  HWND close = nullptr;
  HWND title = nullptr;
  HWND container = nullptr;
};

// Makes the host owned by `owner`, not yet shown, with Accept and Reject
// hidden and the other children shown, placed by `layout`. All null (and
// nothing left) when the host cannot be made.
OfferHostWindows createOfferHostWindows(SDKAPIImpl* host, HWND owner, const OfferHostLayout& layout);

// The host that the host window `window` (or one of its children) belongs
// to; null for any other window.
SDKAPIImpl* hostOfWindow(HWND window);

}  // namespace offer
