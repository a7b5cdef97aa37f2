#include "app/offer_events.h"

#include "app/app_model.h"
#include "report/event_names.h"
#include "report/reporter.h"

OfferEventNames offerEventNames(OfferMoment moment) {
  using namespace events;
  switch (moment) {
    case OfferMoment::kShown:
      return {analytics::kIronShow, report::kAdShow};
    case OfferMoment::kAccepted:
      return {analytics::kIronAccept, report::kAdAccept};
    case OfferMoment::kRejected:
      return {analytics::kIronReject, report::kAdReject};
    case OfferMoment::kClosed:
      return {analytics::kIronClose, report::kBundleAdWithdrawal};
  }
  return {analytics::kIronShow, report::kAdShow};
}

void reportOfferMoment(CAppModel& model, CReporter& reporter, OfferMoment moment) {
  OfferEventNames names = offerEventNames(moment);
  model.trackEvent(names.analytics, model.getOpenId());
  reporter.addEvent(names.report);
}
