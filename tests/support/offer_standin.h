// The offer library stand-in (standins/offer_library.cpp) as a test drives
// it: where it records its calls, and how it answers.
#pragma once
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace testing_support {

class OfferStandIn {
 public:
  // A new record; the library answers as the protocol expects.
  OfferStandIn();
  // Leaves both settings cleared.
  ~OfferStandIn();
  OfferStandIn(const OfferStandIn&) = delete;
  OfferStandIn& operator=(const OfferStandIn&) = delete;

  // Words of VORLANE_STANDIN_OFFER ("display=0 accept=1", ...).
  void answer(const wchar_t* modes);
  // The calls so far, "<function> <argument>", in UTF-8.
  std::vector<std::string> calls() const;
  // The paths the library was loaded from.
  std::vector<std::string> loads() const;
  // The calls of one function, their arguments only.
  std::vector<std::string> arguments(int function) const;

 private:
  std::vector<std::string> lines() const;
  TempDir folder_;
};

}  // namespace testing_support
