#include "app/progress_rules.h"

#include <algorithm>
#include <cwchar>

#include "net/download_limits.h"
#include "report/event_names.h"
#include "utility/number_text.h"

namespace {

constexpr double kBytesToMB = 9.5367431640625e-7;  // 2^-20
constexpr double kBytesToKB = 0.0009765625;        // 2^-10
constexpr double kDownloadShare = 0.63;            // the bar's part for the download
constexpr int kInstallFirstValue = 64;             // the bar's part for the installation

// Products are taken in double precision and kept in single, as shown.
float single(double value) { return static_cast<float>(value); }

std::wstring twoDecimals(float value) {
  wchar_t text[64] = {};
  _snwprintf(text, 63, L"%0.2f", static_cast<double>(value));
  return text;
}

// "12.34M", "5.50KB", or "B" alone below one kilobyte.
std::wstring receivedText(int received) {
  if (received < 1024) return L"B";
  if (received < 1048576) return twoDecimals(single(received * kBytesToKB)) + L"KB";
  return twoDecimals(single(received * kBytesToMB)) + L"M";
}

// The number in "(42%)": the percentage, or below 1 % the received share.
std::wstring percentNumber(int percent, int received, int total) {
  if (percent != 0) return utility::decimalText(percent);
  float share = single(static_cast<double>(received) / total);
  if (!(share > 0.0099999)) return L"0";
  wchar_t text[64] = {};
  _snwprintf(text, 63, L"%0.1f", static_cast<double>(share));
  return text;
}

}  // namespace

SizedProgressView sizedProgressView(int percent, int received, int total, bool arabic,
                                    const std::wstring& downloading) {
  SizedProgressView view;
  // Only the stand-in for a missing length can be reached without being the
  // end: a real total that is reached is the whole file, 100 %.
  bool totalKnown = received < total || (received == total && total != kUnknownLengthExpected);
  if (!totalKnown) percent = std::clamp(percent, 0, 99);
  view.sizeText = receivedText(received);
  if (totalKnown) view.sizeText += L"/" + twoDecimals(single(total * kBytesToMB)) + L"M";

  float bar = single(percent * kDownloadShare);
  if (bar < 1.0f) bar = static_cast<float>(percent);
  view.statusText = downloading + L"(";
  if (!arabic) {
    view.statusText += percentNumber(percent, received, total) + L"%)";
    if (bar < 3.0f) bar = 3.0f;
  }
  view.bar = static_cast<int>(bar);
  view.progressState = percent < 2 ? 1 : percent;
  view.spokenPercent = std::clamp(percent, 0, 100);
  return view;
}

int percentBarValue(int percent) { return percent < 3 ? 3 : percent; }

std::wstring percentStatusText(int percent, const std::wstring& downloading) {
  return downloading + L"(" + utility::decimalText(percent) + L"%)";
}

int nextInstallWaitValue(int& step) {
  if (step > 35) step = 35;
  int value = step + kInstallFirstValue;
  step += 2;
  return value;
}

int installStagePercent(int barValue) {
  int share = (barValue - kInstallFirstValue) * 100 / (100 - kInstallFirstValue);
  return std::clamp(share, 0, 100);
}

std::wstring leaveDownloadText(int progressState, DWORD elapsedSeconds, bool spareHost,
                               bool wininet) {
  namespace property = events::property;
  return utility::decimalText(progressState) + L"_" + utility::decimalText(elapsedSeconds) +
         (spareHost ? property::kCancelSpareSuffix : property::kCancelPrimarySuffix) +
         (wininet ? property::kCancelIeSuffix : property::kCancelCurlSuffix);
}
