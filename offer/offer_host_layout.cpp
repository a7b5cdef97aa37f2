#include "offer/offer_host_layout.h"

#include <algorithm>

#include "toolkit/dpi.h"

namespace offer {
namespace {

constexpr int kSideInset = 16;
constexpr int kBottomInset = 46;
constexpr int kContainerLeft = 85;
constexpr int kContainerTop = 80;
constexpr int kContainerRightGap = 85;
constexpr int kContainerBottomGap = 72;
constexpr int kOfferBottomGap = 102;  // the host's height less 182 from the container's top

int scaled(int value, int percent) { return DuiLib::scaleByPercent(value, percent); }

RECT box(int left, int top, int width, int height, int percent) {
  int x = scaled(left, percent);
  int y = scaled(top, percent);
  return {x, y, x + scaled(width, percent), y + scaled(height, percent)};
}

}  // namespace

OfferHostLayout offerHostLayout(const RECT& owner, int scalePercent) {
  int side = scaled(kSideInset, scalePercent);
  int bottom = scaled(kBottomInset, scalePercent);
  int width = std::max(0, static_cast<int>(owner.right - owner.left) - 2 * side);
  int height = std::max(0, static_cast<int>(owner.bottom - owner.top) - side - bottom);
  OfferHostLayout layout{};
  layout.host = {owner.left + side, owner.top + side, owner.left + side + width,
                 owner.top + side + height};
  layout.accept = box(210, 338, 96, 30, scalePercent);
  layout.reject = box(350, 338, 96, 30, scalePercent);
  layout.close = box(630, 14, 12, 12, scalePercent);
  layout.title = box(85, 40, 220, 24, scalePercent);
  int left = scaled(kContainerLeft, scalePercent);
  int top = scaled(kContainerTop, scalePercent);
  int right = std::max(left, width - scaled(kContainerRightGap, scalePercent));
  int lower = std::max(top, height - scaled(kContainerBottomGap, scalePercent));
  layout.container = {left, top, right, lower};
  int offerLower = std::clamp(height - scaled(kOfferBottomGap, scalePercent), top, lower);
  layout.offer = {right - left, offerLower - top};
  return layout;
}

RECT ownerRectForHost(const RECT& host, int scalePercent) {
  int side = scaled(kSideInset, scalePercent);
  int bottom = scaled(kBottomInset, scalePercent);
  return {host.left - side, host.top - side, host.right + side, host.bottom + bottom};
}

}  // namespace offer
