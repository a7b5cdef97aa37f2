#include "offer/offer_step.h"

#include "utility/log.h"
#include "utility/ui_dispatcher.h"

OfferStep& OfferStep::instance() {
  static OfferStep* step = new OfferStep();  // never destroyed, see the header
  return *step;
}

void OfferStep::setCallbacks(Callbacks callbacks) { callbacks_ = std::move(callbacks); }

void OfferStep::startAsync() {
  // Nothing to start yet: the library's answer is known at once. As with a
  // library that did not start, both flags are set and the window finds out
  // that there is nothing to show when it asks for the offer.
  hasOffer_.store(true, std::memory_order_relaxed);
  ready_.store(true, std::memory_order_release);
}

void OfferStep::showOver(HWND owner) {
  owner_ = owner;
  LOG(L"no offer available");
  postFinished();
}

void OfferStep::installAlongside() {}

void OfferStep::finishOnLeave() {
  if (owner_) ShowWindow(owner_, SW_HIDE);
  if (callbacks_.finished) callbacks_.finished();
}

void OfferStep::release() {
  if (released_) return;
  released_ = true;
}

void OfferStep::postFinished() {
  // Posted under the step's own key, so the callback runs after the caller
  // has finished showing whatever goes with the offer.
  Runable* finish = makeRunable([this] {
    if (callbacks_.finished) callbacks_.finished();
  });
  auto* dispatcher = utility::UiDispatcher::instance();
  if (!dispatcher || !dispatcher->post(postKey_, finish)) finish->release();
}
