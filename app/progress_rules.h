// What the progress page shows for the model's reports: the size and status
// texts, the bar's value (0 to 100) and the window's progress state. Plain
// functions over the reported numbers and the translated texts.
#pragma once
#include <windows.h>

#include <string>

// One sized report (received and total both above 0), as the page shows it.
struct SizedProgressView {
  std::wstring sizeText;    // "5.00M/500.00M"; without "/total" when the total is unknown
  std::wstring statusText;  // "Downloading...(42%)"
  int bar = 0;              // 3 to 63 (from 1 with Arabic texts)
  int progressState = 0;    // 1 to 100
  // The download's percentage, 0 to 100, as the status says it: what a
  // reader hears as the bar's value, also where the status (Arabic) says no
  // number.
  int spokenPercent = 0;
};
// `downloading` is the translated "downloading" text. A total the download
// has passed, or reached when it is the stand-in for a missing length
// (kUnknownLengthExpected), is no total: then the percentage stays below 100
// and no total is shown. A real total reached is 100 %.
SizedProgressView sizedProgressView(int percent, int received, int total, bool arabic,
                                    const std::wstring& downloading);

// A percent-only report (the libcurl path): the bar shows the percentage, at
// least 3; the status reads "Downloading...(42%)".
int percentBarValue(int percent);
std::wstring percentStatusText(int percent, const std::wstring& downloading);

// The bar value shown while the package installs, advancing `step` by 2 per
// tick: 64, 66, ... 98, then 99 for good.
int nextInstallWaitValue(int& step);
// What a reader hears as the bar's value while the package installs: the
// installation's own share, from the bar's value (64 is 0 %, 99 is 97 %,
// 100 is 100 %).
int installStagePercent(int barValue);

// The "ext_field" of a download left through the slow-download box, for
// example "42_130_aws_Curl".
std::wstring leaveDownloadText(int progressState, DWORD elapsedSeconds, bool spareHost,
                               bool wininet);
