// Where the offer host and its windows go. The host lies over the owner's
// client area: inset 16 at the left, top and right and 46 at the bottom of the
// owner's window rectangle. Its children sit at fixed places in 96-DPI pixels;
// every length is scaled by the owner's scale in percent, so that the host
// lines up with an owner drawn at 125 % or 150 %.
#pragma once
#include <windows.h>

namespace offer {

struct OfferHostLayout {
  RECT host;  // screen coordinates; its size never negative
  // Relative to the host.
  RECT accept;
  RECT reject;
  RECT close;
  RECT title;
  RECT container;  // its size never negative
  // What the library is told to fill, from the container's top left corner:
  // the container's width and the host's height less 182 (486 x 214 at 100 %),
  // leaving the bottom of the container clear above the buttons.
  SIZE offer;
};

OfferHostLayout offerHostLayout(const RECT& owner, int scalePercent);
// Where the owner goes when the host has moved to `host`.
RECT ownerRectForHost(const RECT& host, int scalePercent);

}  // namespace offer
