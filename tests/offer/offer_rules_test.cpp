// The texts the installer sends the offer library, the channel chosen by the
// open id, and where the host and its windows go.
#include <gtest/gtest.h>

#include "offer/offer_host_layout.h"
#include "offer/offer_protocol.h"

namespace {

HWND handle(intptr_t value) { return reinterpret_cast<HWND>(value); }

TEST(OfferProtocol, ArgumentTextsJoinTheirPiecesByteForByte) {
  EXPECT_EQ(offer::loadArgument(L"en", L"normal"), L"{\"local\":\"en\",\"channel\":\"normal\"}");
  EXPECT_EQ(offer::setWindowArgument(handle(330), 0, 0, 486, 214),
            L"{\"wnd\":\"330\", \"backgroundColor\":\"#FF0e0e0e\", \"x\":\"0\", \"y\":\"0\", "
            L"\"width\":\"486\", \"height\":\"214\"}");
  EXPECT_EQ(offer::displayArgument(handle(0x1A2B), handle(77)),
            L"{\"acceptBtnWnd\":\"6699\", \"declineBtnWnd\":\"77\"}");
  // Values go in as they stand, and handles as signed numbers.
  EXPECT_EQ(offer::loadArgument(L"e\"n", L""), L"{\"local\":\"e\"n\",\"channel\":\"\"}");
  EXPECT_EQ(offer::displayArgument(handle(-5), nullptr),
            L"{\"acceptBtnWnd\":\"-5\", \"declineBtnWnd\":\"0\"}");
}

TEST(OfferProtocol, ChannelIsBuyOnlyForOpenIdsFrom1500To3000) {
  const struct {
    const wchar_t* openId;
    const wchar_t* channel;
  } cases[] = {{L"2000", L"buy"},      {L"1500", L"buy"},       {L"3000", L"buy"},
               {L"2100abc", L"buy"},   {L"+1600", L"buy"},      {L" 2000", L"buy"},
               {L"1499", L"normal"},   {L"3001", L"normal"},    {L"100", L"normal"},
               {L"-2000", L"normal"},  {L"", L"normal"},        {L"abc2000", L"normal"},
               {L"4294969296", L"normal"}};  // no wrapping past the range
  for (const auto& c : cases) EXPECT_EQ(offer::channelForOpenId(c.openId), c.channel) << c.openId;
}

TEST(OfferProtocol, ALibraryPastFunctionOneIsFreedOnlyAfterBeingToldToEnd) {
  const wchar_t* force = offer::kForceArgument;
  const struct {
    int stage;
    bool faulted;
    const wchar_t* argument;  // null: function 9 is not called
    bool free;
  } cases[] = {
      {0, false, L"", true},
      {offer::kStageClosed, false, force, true},
      {offer::kStageInstall, false, force, true},  // function 7 answered 0
      {offer::kStageLoad, false, nullptr, true},   // never got past function 1
      {offer::kStageLoad, true, nullptr, false},   // function 1 or 2 threw
      {3, true, nullptr, false},
      {offer::kStageInstall, true, nullptr, false},
      {9, true, nullptr, false},
  };
  for (const auto& c : cases) {
    offer::UnloadPlan plan = offer::unloadPlan(c.stage, c.faulted);
    EXPECT_EQ(plan.argument == nullptr, c.argument == nullptr) << c.stage << " " << c.faulted;
    if (plan.argument && c.argument) {
      EXPECT_STREQ(plan.argument, c.argument) << c.stage;
    }
    EXPECT_EQ(plan.free, c.free) << c.stage << " " << c.faulted;
  }
}

TEST(OfferHostLayout, HostCoversTheOwnersClientAreaAtEveryScale) {
  const struct {
    RECT owner;
    int scale;
    RECT host;
    RECT accept;
    RECT container;
    SIZE offer;  // what function 3 is told: 486 x 214 at 100 %, scaled
  } cases[] = {
      {{100, 100, 788, 558},
       100,
       {116, 116, 772, 512},
       {210, 338, 306, 368},
       {85, 80, 571, 324},
       {486, 214}},
      {{0, 0, 860, 573},
       125,
       {20, 20, 840, 515},
       {263, 423, 383, 461},
       {106, 100, 714, 405},
       {608, 267}},
      {{10, 20, 1042, 707},
       150,
       {34, 44, 1018, 638},
       {315, 507, 459, 552},
       {128, 120, 856, 486},
       {728, 321}},
      // A minimised window's icon rectangle: never a negative size.
      {{-32000, -32000, -31840, -31972},
       100,
       {-31984, -31984, -31856, -31984},
       {210, 338, 306, 368},
       {85, 80, 85, 80},
       {0, 0}},
  };
  for (const auto& c : cases) {
    offer::OfferHostLayout layout = offer::offerHostLayout(c.owner, c.scale);
    auto same = [](const RECT& a, const RECT& b) {
      return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(layout.host, c.host)) << c.scale << " host " << layout.host.left << ","
                                           << layout.host.top << "," << layout.host.right << ","
                                           << layout.host.bottom;
    EXPECT_TRUE(same(layout.accept, c.accept)) << c.scale;
    EXPECT_TRUE(same(layout.container, c.container))
        << c.scale << " container " << layout.container.right << "," << layout.container.bottom;
    EXPECT_EQ(layout.offer.cx, c.offer.cx) << c.scale;
    EXPECT_EQ(layout.offer.cy, c.offer.cy) << c.scale;
  }
}

TEST(OfferHostLayout, OwnerFollowsTheHostByTheInsets) {
  RECT at100 = offer::ownerRectForHost({300, 200, 956, 596}, 100);
  EXPECT_EQ(at100.left, 284);
  EXPECT_EQ(at100.top, 184);
  EXPECT_EQ(at100.right - at100.left, 688);
  EXPECT_EQ(at100.bottom - at100.top, 458);
  RECT at150 = offer::ownerRectForHost({300, 200, 1284, 794}, 150);
  EXPECT_EQ(at150.left, 276);
  EXPECT_EQ(at150.bottom - at150.top, 687);
}

}  // namespace
