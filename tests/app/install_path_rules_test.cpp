// The rules for a chosen installation folder, over plain texts. Drive roots
// with space are answered by the table (C: and D: have space, E: does not).
#include "app/install_path_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool testRoots(const std::wstring& root) { return root == L"c:\\" || root == L"d:\\"; }

const ProductFolderNames kVariant9{L"Vorlane\\Vorlane9\\", L"Vorlane9\\", L"Vorlane"};

}  // namespace

TEST(InstallPathRules, ValidityOfFolders) {
  struct Case {
    const wchar_t* path;
    bool valid;
  } cases[] = {
      {L"D:\\Games\\Vorlane\\", true},
      {L"D:\\", false},       // "d:" once normalised: too short
      {L"D:\\a\\\\b", true},  // the doubled back-slash counts once
      {L"D:/Games//Vorlane/", true},
      {L"  D:\\Games  ", true},
      {L"D:\\a\\ \\b", false},  // a blank folder name
      {L"D:\\a\\  ", true},     // the last name is not asked
      {L"D:\\Ga?mes", false},
      {L"D:\\Ga*mes", false},
      {L"D:\\a:b", false},
      {L"D:\\a|b\\", false},
      {L"E:\\Games", false},            // no space on the drive
      {L"Vorlane\\Vorlane9\\", false},  // no drive at all
      {L"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isValidInstallPath(c.path, testRoots), c.valid) << c.path;
}

TEST(InstallPathRules, NormalisingTexts) {
  struct Case {
    const wchar_t* path;
    const wchar_t* forCheck;
    const wchar_t* installed;
    const wchar_t* backslashed;
    const wchar_t* slashed;
  } cases[] = {
      {L"D:/Games//Vorlane/", L"d:\\games\\vorlane", L"D:\\Games\\Vorlane\\",
       L"D:\\Games\\\\Vorlane\\", L"D:/Games//Vorlane/"},
      {L"\\\\D:\\A\\", L"d:\\a", L"\\D:\\A\\", L"\\\\D:\\A\\", L"//D:/A/"},
      {L"  D:\\Games\\Vorlane  \\", L"  d:\\games\\vorlane  ", L"D:\\Games\\Vorlane  \\",
       L"  D:\\Games\\Vorlane  \\", L"  D:/Games/Vorlane  /"},
      {L"D:\\a\\\\\\b", L"d:\\a\\b", L"D:\\a\\\\b\\", L"D:\\a\\\\\\b",
       L"D:/a///b"},  // a run of three keeps two
      {L"//:D:/x", L":d:\\x", L"\\:D:\\x\\", L"\\:D:\\x", L"D:/x"},
      {L"//", L"", L"\\", L"\\", L"//"},
      {L"/", L"", L"\\", L"\\", L"/"},
      {L"", L"", L"", L"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(normalizePathForCheck(c.path), c.forCheck) << c.path;
    std::wstring installed = c.path;
    normalizeInstallPath(installed);
    EXPECT_EQ(installed, c.installed) << c.path;
    EXPECT_EQ(toBackslashes(c.path), c.backslashed) << c.path;
    EXPECT_EQ(toSlashForm(c.path), c.slashed) << c.path;
  }
}

TEST(InstallPathRules, ChosenFoldersGetTheProductFolders) {
  struct Case {
    const wchar_t* chosen;
    const wchar_t* installed;
  } cases[] = {
      {L"D:\\", L"D:\\Vorlane\\Vorlane9\\"},
      {L"D:", L"D:\\Vorlane\\Vorlane9\\"},
      {L"D:\\Games\\nuvaro", L"D:\\Games\\nuvaro\\Vorlane9\\"},
      {L"D:\\Games\\NUVARO\\", L"D:\\Games\\NUVARO\\Vorlane9\\"},
      {L"D:\\Games\\Vorlane", L"D:\\Games\\Vorlane\\"},
      {L"D:\\Games\\vorlane",
       L"D:\\Games\\vorlane\\Vorlane\\Vorlane9\\"},  // the name is case-sensitive
      {L"D:\\Games\\vdplayer", L"D:\\Games\\vdplayer\\"},
      {L"D:\\Games", L"D:\\Games\\Vorlane\\Vorlane9\\"},
      {L"D:\\Games\\\\Vorlane\\", L"D:\\Games\\Vorlane\\"},
      {L"  D:\\Games\\Vorlane  ", L"D:\\Games\\Vorlane  \\"},  // blanks before the back-slash stay
      {L"Vorlane\\x", L"Vorlane\\x\\Vorlane\\Vorlane9\\"},   // at the start the name does not count
      {L"E:\\Games\\\\Vorlane", L"E:\\Games\\\\Vorlane\\"},  // invalid: stored as typed
      {L"D:\\a\\ \\b", L"D:\\a\\ \\b\\Vorlane\\Vorlane9\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(completeInstallPath(c.chosen, kVariant9, testRoots), c.installed) << c.chosen;
}

TEST(InstallPathRules, AdviceOnAChosenFolderAsksTheDriveOnlyWhenItMatters) {
  // Each fact of the chosen drive opens its volume: it is asked only at the
  // step that needs it ("s" the solid-state question, "m" the space).
  struct Case {
    bool ask;
    const wchar_t* path;
    const wchar_t* best;
    bool bestIsSsd;
    bool chosenIsSsd;
    double usableMB;
    PathAdvice advice;
    const char* asked;
  } cases[] = {
      {true, L"D:/Games", L"C:\\Vorlane\\Vorlane9\\", true, false, 50000, PathAdvice::kDrivePrompt,
       "s"},
      {false, L"D:/Games", L"C:\\Vorlane\\Vorlane9\\", true, false, 50000, PathAdvice::kNone, "m"},
      {false, L"D:/Games", L"C:\\Vorlane\\Vorlane9\\", true, false, 100, PathAdvice::kSpacePrompt,
       "m"},
      {true, L"D:/Games", L"C:\\Vorlane\\Vorlane9\\", true, true, 50000, PathAdvice::kNone, "sm"},
      {true, L"D:/Games", L"C:\\Vorlane\\Vorlane9\\", false, false, 50000, PathAdvice::kNone, "m"},
      {true, L"C:/Games", L"C:\\Vorlane\\Vorlane9\\", true, false, 1, PathAdvice::kSameBestDrive,
       ""},
      {true, L"c:/Games", L"C:\\Vorlane\\Vorlane9\\", true, false, 1, PathAdvice::kDrivePrompt,
       "s"},  // case counts
      {true, L"D:/Games", L"", true, false, 50000, PathAdvice::kNone, "m"},
      {true, L"D:/Games", L"", true, false, 17408.0, PathAdvice::kNone, "m"},
      {true, L"D:/Games", L"", true, false, 17407.9, PathAdvice::kSpacePrompt, "m"},
      {true, L"D:/Games", L"C:", true, false, 17407.9, PathAdvice::kDrivePrompt,
       "s"},  // too short to compare
  };
  for (const Case& c : cases) {
    std::string asked;
    PathChoice choice{c.ask,
                      c.path,
                      c.best,
                      c.bestIsSsd,
                      [&] {
                        asked += "s";
                        return c.chosenIsSsd;
                      },
                      [&] {
                        asked += "m";
                        return c.usableMB;
                      }};
    EXPECT_EQ(adviseOnPath(choice), c.advice) << c.path << " best " << c.best << " " << c.usableMB;
    EXPECT_EQ(asked, c.asked) << c.path << " best " << c.best << " " << c.usableMB;
  }
}

TEST(InstallPathRules, DriveLettersFillOnlyTheMarks) {
  std::wstring long400(396, L'x');
  struct Case {
    std::wstring format;
    std::vector<std::wstring> letters;
    std::wstring shown;
  } cases[] = {
      {L"HDD (Disk %s), use SSD (Disk %s)?", {L"D", L"C"}, L"HDD (Disk D), use SSD (Disk C)?"},
      // An empty value empties its own mark: the second letter stays second.
      {L"HDD (Disk %s), use SSD (Disk %s)?", {L"", L"C"}, L"HDD (Disk ), use SSD (Disk C)?"},
      {L"%n %s %s %s", {L"D", L"C"}, L"%n D C %s"},  // no printf: %n stays text, a third mark stays
      {L"100% on %s, %d%%", {L"E"}, L"100% on E, %d%%"},
      {L"%s%", {L"E"}, L"E%"},
      {long400 + L" %s.", {L"E"}, long400 + L" E."},  // a long translation is kept whole
      {L"no marks", {L"E"}, L"no marks"},
  };
  for (const Case& c : cases) EXPECT_EQ(fillDriveLetters(c.format, c.letters), c.shown) << c.format;
}
