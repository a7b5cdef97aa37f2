// The model's rules over plain values: the file-name parameters, progress
// numbers, event texts and the package's command line.
#include <gtest/gtest.h>

#include "app/model_rules.h"
#include "app/start_parameters.h"
#include "utility/process.h"

TEST(StartParameters, FileNamePartsByTheirCount) {
  struct Case {
    const wchar_t* name;
    bool present;
    const wchar_t* type;
    const wchar_t* language;
    const wchar_t* package;
    const wchar_t* id;
  } cases[] = {
      {L"vorlane64_en_5566_setup", true, L"vorlane64", L"en", L"", L"5566"},
      {L"vorlane9_ens_5566_x", true, L"vorlane9", L"ens", L"", L"5566"},
      {L"VORLANE3_kr_mypackage_77_x", true, L"VORLANE3", L"kr", L"mypackage", L"77"},
      {L"vorlane9_kr_pkg_77_x", true, L"vorlane9", L"kr", L"pkg", L"77"},
      {L"vorlane9_kr_1234", false, L"", L"", L"", L""},
      {L"setup", false, L"", L"", L"", L""},
      {L"vorlane9_kr_notdigits_77", true, L"vorlane9", L"kr", L"", L"notdigits"},  // four parts
      {L" vorlane9 _ kr _ _ 88 ", true, L"vorlane9", L"kr", L"", L""},  // blanks trimmed
      // Five parts or more: an empty third part counts as digits, so it is the id.
      {L"vorlane9_kr__88_x", true, L"vorlane9", L"kr", L"", L""},
      {L"vorlane9_kr_1234_pkgname_x", true, L"vorlane9", L"kr", L"", L"1234"},
      {L"vorlane9_english_12_x", true, L"vorlane9", L"english", L"", L"12"},
      // What would become switches of the package or the emulator: only
      // letters, digits, "_" and "-" (letters alone in the language).
      {L"vorlane9_en_my-pkg9_77-b_x", true, L"vorlane9", L"en", L"my-pkg9", L"77-b"},
      {L"vorlane9_en_55 66_x", true, L"vorlane9", L"en", L"", L""},
      {L"vorlane9_en_mypkg_\"77\"_x", true, L"vorlane9", L"en", L"mypkg", L""},
      {L"vorlane9_en_-path=C:\\x_77_x", true, L"vorlane9", L"en", L"", L"77"},
      {L"vorlane9_e n_77_x", true, L"vorlane9", L"", L"", L"77"},
      {L"vorlane9_k\"r_77_x", true, L"vorlane9", L"", L"", L"77"},
      {L"vorlane9_e1_my pkg -path=x_77", true, L"vorlane9", L"", L"", L""},  // four parts
  };
  for (const auto& c : cases) {
    StartParameters p = parseStartParameters(c.name);
    EXPECT_EQ(p.present, c.present) << c.name;
    EXPECT_EQ(p.type, c.type) << c.name;
    EXPECT_EQ(p.language, c.language) << c.name;
    EXPECT_EQ(p.package, c.package) << c.name;
    EXPECT_EQ(p.id, c.id) << c.name;
  }
}

TEST(ModelRules, UnknownTotalAndPercent) {
  struct Case {
    int received, total, shownTotal, percent;
  } cases[] = {
      {0, -1, 300000000, 0},
      {150000000, -1, 300000000, 50},
      {299999999, -1, 300000000, 99},
      {300000000, -1, 300001024, 99},
      {5, 10, 10, 50},
      {10, 10, 10, 100},
      {1, 3, 3, 33},
      // Counts past the total or wrapped past 2 GiB stay within 0..100.
      {2000000000, 1, 1, 100},
      {20971520, 10485760, 10485760, 100},
      {-2147483000, 10485760, 10485760, 0},
  };
  for (const auto& c : cases) {
    int total = model_rules::progressTotal(c.received, c.total);
    EXPECT_EQ(total, c.shownTotal) << c.received;
    EXPECT_EQ(model_rules::progressPercent(c.received, total), c.percent) << c.received;
  }
}

TEST(ModelRules, ElapseIsRoundedUpToHalfMinutes) {
  struct Case {
    DWORD ms;
    int seconds;
  } cases[] = {{0, 0}, {999, 0}, {1000, 30}, {30000, 30}, {31000, 60}, {60999, 60}, {61000, 90}};
  for (const auto& c : cases) EXPECT_EQ(model_rules::elapseSeconds(c.ms), c.seconds) << c.ms;
}

TEST(ModelRules, DownloadSourceTexts) {
  EXPECT_EQ(model_rules::sourceText(false), L"aws");
  EXPECT_EQ(model_rules::sourceText(true), L"res");
  EXPECT_EQ(model_rules::durationText(false, true), L"aws_ie");
  EXPECT_EQ(model_rules::durationText(true, false), L"res_curl");
}

TEST(ModelRules, PackageCommandLineByteForByte) {
  std::wstring dir = L"D:\\Vorlane\\Vorlane9\\";
  EXPECT_EQ(utility::process::commandLine(dir + L"\\Vorlane.exe",
                                          model_rules::packageSwitches(L"100", L"kr", dir)),
            L"\"D:\\Vorlane\\Vorlane9\\\\Vorlane.exe\" -silence -downloader -openid=100 "
            L"-language=kr -path=\"D:\\Vorlane\\Vorlane9\\\"");
  EXPECT_EQ(model_rules::packageSwitches(L"77", L"", L"C:\\V\\"),
            L"-silence -downloader -openid=77 -path=\"C:\\V\\\"");
}

TEST(ModelRules, PlayerParameters) {
  EXPECT_EQ(model_rules::playerParameters(L"pk123x"), L"downloadpackage=pk123x|package=pk123x");
  EXPECT_EQ(model_rules::playerParameters(L""), L"");
}
