// The model's pure rules: texts and numbers it derives from plain values.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace model_rules {

// A libcurl download counts only above 10 MiB; exactly 10 MiB is too small.
inline constexpr uint64_t kMinCurlPackageBytes = 10485760;

// The total to show when the server announced none (-1): 300,000,000 bytes, or
// received + 1024 once that much has arrived. Other totals stay as they are.
int progressTotal(int received, int total);
// received / total * 100 in double precision, held within 0..100 and
// truncated toward zero.
int progressPercent(int received, int total);
// Seconds of an attempt for the log, rounded up to a multiple of 30.
int elapseSeconds(DWORD milliseconds);
// The source texts of the download events: "res"/"aws", "res_curl" and so on.
std::wstring sourceText(bool spare);
std::wstring durationText(bool spare, bool ie);

// The package's switches: channel, language (when known) and quoted folder.
std::wstring packageSwitches(const std::wstring& openId, const std::wstring& language,
                             const std::wstring& installDir);
// The emulator's start parameters for a package name (empty without one).
std::wstring playerParameters(const std::wstring& package);

}  // namespace model_rules
