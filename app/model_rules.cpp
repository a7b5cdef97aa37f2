#include "app/model_rules.h"

#include <algorithm>

#include "report/event_names.h"

namespace model_rules {

int progressTotal(int received, int total) {
  constexpr int kAssumedTotal = 300000000;
  if (total != -1) return total;
  return received >= kAssumedTotal ? received + 1024 : kAssumedTotal;
}

int progressPercent(int received, int total) {
  if (total == 0) return 0;
  // Clamped before the conversion: a count past the total, or one wrapped
  // past 2 GiB, must not overflow the int.
  double percent = (double)received / (double)total * 100.0;
  return (int)std::clamp(percent, 0.0, 100.0);
}

int elapseSeconds(DWORD milliseconds) { return (int)((milliseconds / 1000 + 29) / 30 * 30); }

std::wstring sourceText(bool spare) {
  return spare ? events::property::kSourceSpare : events::property::kSourcePrimary;
}

std::wstring durationText(bool spare, bool ie) {
  return sourceText(spare) + L"_" + (ie ? events::property::kMethodIe : events::property::kMethodCurl);
}

std::wstring packageSwitches(const std::wstring& openId, const std::wstring& language,
                             const std::wstring& installDir) {
  std::wstring switches = L"-silence -downloader -openid=" + openId;
  if (!language.empty()) switches += L" -language=" + language;
  switches += L" -path=\"" + installDir + L"\"";
  return switches;
}

std::wstring playerParameters(const std::wstring& package) {
  if (package.empty()) return {};
  return L"downloadpackage=" + package + L"|package=" + package;
}

}  // namespace model_rules
