// What the progress page shows for the model's reports.
#include "app/progress_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kDownloading = L"Downloading...";

}  // namespace

TEST(ProgressRules, SizedReports) {
  struct Case {
    int percent, received, total;
    bool arabic;
    const wchar_t* size;
    const wchar_t* status;
    int bar, state;
  } cases[] = {
      {42, 220200960, 524288000, false, L"210.00M/500.00M", L"Downloading...(42%)", 26, 42},
      {1, 5242880, 524288000, false, L"5.00M/500.00M", L"Downloading...(1%)", 3,
       1},  // 0.63 -> 1 -> at least 3
      {0, 700, 524288000, false, L"B/500.00M", L"Downloading...(0%)", 3, 1},
      {0, 50, 100, false, L"B/0.00M", L"Downloading...(0.5%)", 3,
       1},  // below 1 %: the share itself
      {100, 1000, 2000, false, L"B/0.00M", L"Downloading...(100%)", 63, 100},
      {50, 536870912, 1073741824, false, L"512.00M/1024.00M", L"Downloading...(50%)", 31, 50},
      {50, 262144, 524288, false, L"256.00KB/0.50M", L"Downloading...(50%)", 31, 50},
      {10, 1048575, 10485760, false, L"1024.00KB/10.00M", L"Downloading...(10%)", 6, 10},
      {2, 1048576, 524288000, true, L"1.00M/500.00M", L"Downloading...(", 1, 2},  // no minimum of 3
      {1, 1048576, 524288000, true, L"1.00M/500.00M", L"Downloading...(", 1, 1},
      // The last report of a download with a length: all of it, 100 %.
      {100, 524288000, 524288000, false, L"500.00M/500.00M", L"Downloading...(100%)", 63, 100},
      // A total that the download passed, or reached when it is the stand-in
      // for a missing length, is a guess: no total, at most 99 %, the bar and
      // state within their ranges.
      {4768, 524288000, 10485760, false, L"500.00M", L"Downloading...(99%)", 62, 99},
      {100, 10485760, 10485760, false, L"10.00M", L"Downloading...(99%)", 62, 99},
      {200, 4000, 2000, false, L"3.91KB", L"Downloading...(99%)", 62, 99},
      {4768, 524288000, 10485760, true, L"500.00M", L"Downloading...(", 62, 99},
  };
  for (const Case& c : cases) {
    SizedProgressView view =
        sizedProgressView(c.percent, c.received, c.total, c.arabic, kDownloading);
    EXPECT_EQ(view.sizeText, c.size) << c.percent << " " << c.received << "/" << c.total;
    EXPECT_EQ(view.statusText, c.status) << c.percent << " " << c.received << "/" << c.total;
    EXPECT_EQ(view.bar, c.bar) << c.percent << " " << c.received << "/" << c.total;
    EXPECT_EQ(view.progressState, c.state) << c.percent << " " << c.received << "/" << c.total;
  }
}

TEST(ProgressRules, PercentOnlyReports) {
  struct Case {
    int percent, bar;
  } cases[] = {{0, 3}, {2, 3}, {3, 3}, {50, 50}, {99, 99}};
  for (const Case& c : cases) EXPECT_EQ(percentBarValue(c.percent), c.bar) << c.percent;
  EXPECT_EQ(percentStatusText(42, kDownloading), L"Downloading...(42%)");
}

// A reader hears the percentage the page says for the stage, not the bar's
// drawn share: the download's percentage, also where the Arabic status says
// no number, then the installation's own share of the bar's last part.
TEST(ProgressRules, AReaderHearsEachStagesOwnPercentage) {
  struct Sized {
    int percent, received, total;
    bool arabic;
    int spoken;
  } sized[] = {{42, 220200960, 524288000, false, 42},
               {42, 220200960, 524288000, true, 42},
               {0, 700, 524288000, false, 0},
               {4768, 524288000, 10485760, false, 99}};  // a guessed total: below 100
  for (const Sized& c : sized) {
    EXPECT_EQ(
        sizedProgressView(c.percent, c.received, c.total, c.arabic, kDownloading).spokenPercent,
        c.spoken)
        << c.percent << (c.arabic ? " arabic" : "");
  }
  struct Installing {
    int bar, spoken;
  } installing[] = {{63, 0}, {64, 0}, {82, 50}, {99, 97}, {100, 100}};
  for (const Installing& c : installing) EXPECT_EQ(installStagePercent(c.bar), c.spoken) << c.bar;
}

TEST(ProgressRules, InstallWaitClimbsBy2To98ThenStaysAt99) {
  std::vector<int> shown;
  int step = 0;
  for (int tick = 0; tick < 21; ++tick) shown.push_back(nextInstallWaitValue(step));
  std::vector<int> expected;
  for (int value = 64; value <= 98; value += 2) expected.push_back(value);
  expected.insert(expected.end(), {99, 99, 99});
  EXPECT_EQ(shown, expected);
}

TEST(ProgressRules, LeavingADownloadNamesProgressTimeHostAndMethod) {
  EXPECT_EQ(leaveDownloadText(42, 130, false, false), L"42_130_aws_Curl");
  EXPECT_EQ(leaveDownloadText(97, 5, true, true), L"97_5_res_IE");
  EXPECT_EQ(leaveDownloadText(1, 0, false, true), L"1_0_aws_IE");
}
