// The events of the offer step: each moment is reported on both channels,
// analytics first (labelled with the open id), then the reporter (no
// properties). UI thread.
#pragma once
#include "offer/sdk_api_impl.h"

class CAppModel;
class CReporter;

struct OfferEventNames {
  const wchar_t* analytics;
  const wchar_t* report;
};

// The two names of a moment.
OfferEventNames offerEventNames(OfferMoment moment);
void reportOfferMoment(CAppModel& model, CReporter& reporter, OfferMoment moment);
