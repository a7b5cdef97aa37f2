#include "offer/offer_protocol.h"

#include <cstdint>
#include <cwchar>

#include "utility/number_text.h"

namespace offer {
namespace {

// A window handle as the signed decimal number of its value.
std::wstring handleText(HWND window) {
  return utility::decimalText(static_cast<long long>(reinterpret_cast<intptr_t>(window)));
}

// The leading number of a text as _wtoi reads it, without its overflow:
// any number past the channel's range reads as past it.
long long leadingNumber(const std::wstring& text) {
  size_t at = 0;
  while (at < text.size() && iswspace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
  long long value = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    if (value < 1000000000000LL) value = value * 10 + (text[at] - L'0');
  }
  return negative ? -value : value;
}

}  // namespace

std::wstring loadArgument(const std::wstring& locale, const std::wstring& channel) {
  return L"{\"local\":\"" + locale + L"\",\"channel\":\"" + channel + L"\"}";
}

std::wstring setWindowArgument(HWND container, int x, int y, int width, int height) {
  return L"{\"wnd\":\"" + handleText(container) + L"\", \"backgroundColor\":\"#FF0e0e0e" +
         L"\", \"x\":\"" + utility::decimalText(x) + L"\", \"y\":\"" + utility::decimalText(y) +
         L"\", \"width\":\"" + utility::decimalText(width) + L"\", \"height\":\"" +
         utility::decimalText(height) + L"\"}";
}

std::wstring displayArgument(HWND accept, HWND decline) {
  return L"{\"acceptBtnWnd\":\"" + handleText(accept) + L"\", \"declineBtnWnd\":\"" +
         handleText(decline) + L"\"}";
}

std::wstring channelForOpenId(const std::wstring& openId) {
  long long number = leadingNumber(openId);
  return number >= 1500 && number <= 3000 ? L"buy" : L"normal";
}

UnloadPlan unloadPlan(int failureStage, bool faulted) {
  if (faulted) return {nullptr, false};
  switch (failureStage) {
    case 0:
      return {L"", true};
    case kStageClosed:
    case kStageInstall:
      return {kForceArgument, true};
    case kStageLoad:
      return {nullptr, true};
    default:  // only an exception sets the other stages
      return {nullptr, false};
  }
}

}  // namespace offer
