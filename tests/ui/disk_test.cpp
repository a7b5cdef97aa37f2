#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "ui/disk.h"

namespace disk = utility::disk;
using disk::VolumeFacts;

namespace {

VolumeFacts hdd(double mb, const wchar_t* fs = L"NTFS") { return {mb, std::wstring(fs), false}; }
VolumeFacts ssd(double mb, const wchar_t* fs = L"NTFS") { return {mb, std::wstring(fs), true}; }

}  // namespace

TEST(DiskRules, ScoreIsFreeSpaceTimesThousandOnlyForLargeSsdOnFat32OrNtfs) {
  struct Case {
    const char* what;
    VolumeFacts facts;
    double score;
    bool ssdFlag;
  } cases[] = {
      {"hard disk", hdd(900000.0), 900000.0, false},
      {"ssd at the limit", ssd(17408.0), 17408.0, true},
      {"ssd just below the next MB", ssd(17408.99), 17408.99, true},  // truncated: 17408
      {"ssd one MB more", ssd(17409.0), 17409000.0, true},
      {"ssd on FAT32", ssd(20000.0, L"FAT32"), 20000000.0, true},
      {"exFAT", hdd(50000.0, L"exFAT"), 0.0, false},
      {"exFAT ssd", ssd(50000.0, L"exFAT"), 0.0, false},
      {"names are case-sensitive", hdd(50000.0, L"ntfs"), 0.0, false},
      {"file system unknown", {50000.0, std::nullopt, false}, 50000.0, false},
      {"space unknown", {std::nullopt, std::wstring(L"NTFS"), true}, 0.0, false},
  };
  for (const Case& c : cases) {
    disk::DriveScore s = disk::scoreDrive(c.facts);
    EXPECT_DOUBLE_EQ(s.score, c.score) << c.what;
    EXPECT_EQ(s.ssd, c.ssdFlag) << c.what;
  }
}

TEST(DiskRules, BestDriveIsFirstWithHighestScore) {
  struct Case {
    const char* what;
    std::vector<std::pair<const wchar_t*, VolumeFacts>> drives;
    const wchar_t* root;
    bool ssdFlag;
  } cases[] = {
      {"large hard disk loses to ssd above the limit",
       {{L"C:\\", hdd(900000.0)}, {L"D:\\", ssd(20000.0)}}, L"D:\\", true},
      {"ssd at the limit loses to a larger hard disk",
       {{L"C:\\", ssd(17408.0)}, {L"D:\\", hdd(17500.0)}}, L"D:\\", false},
      {"ties keep the first", {{L"C:\\", hdd(5000.0)}, {L"D:\\", hdd(5000.0)}}, L"C:\\", false},
      {"exFAT alone still wins over nothing", {{L"E:\\", hdd(80000.0, L"exFAT")}}, L"E:\\", false},
      {"exFAT loses to any NTFS drive",
       {{L"E:\\", hdd(80000.0, L"exFAT")}, {L"F:\\", hdd(1.0)}}, L"F:\\", false},
      {"first of several zero scores", {{L"E:\\", hdd(1.0, L"exFAT")}, {L"F:\\", {}}}, L"E:\\",
       false},
      {"no drive", {}, L"", false},
  };
  for (const Case& c : cases) {
    std::vector<disk::ScoredDrive> scored;
    for (const auto& [root, facts] : c.drives) scored.push_back({root, disk::scoreDrive(facts)});
    disk::DriveChoice choice = disk::chooseBestDrive(scored);
    EXPECT_EQ(choice.root, c.root) << c.what;
    EXPECT_EQ(choice.ssd, c.ssdFlag) << c.what;
  }
}

TEST(DiskRules, UsableSpaceIgnoresFileSystemOnlyWhenUnknown) {
  // A folder below the root (E:\Games): its file system cannot be read.
  EXPECT_DOUBLE_EQ(disk::usableMB({300.0, std::nullopt, false}), 300.0);
  // The root of an exFAT volume.
  EXPECT_DOUBLE_EQ(disk::usableMB(hdd(300.0, L"exFAT")), 0.0);
  EXPECT_DOUBLE_EQ(disk::usableMB(hdd(300.0, L"FAT32")), 300.0);
  EXPECT_DOUBLE_EQ(disk::usableMB({std::nullopt, std::nullopt, false}), 0.0);
}

// The machine's own drives: whatever they are, the queries agree with each other.
TEST(DiskQueries, MachineDrivesAreConsistent) {
  std::vector<std::wstring> drives = disk::fixedDrives();
  for (const std::wstring& root : drives) {
    ASSERT_EQ(root.size(), 3u);
    EXPECT_EQ(root.substr(1), L":\\");
    EXPECT_FALSE(disk::isRemovable(root.substr(0, 2)));
  }
  disk::DriveChoice best = disk::bestDrive();
  if (drives.empty()) {
    EXPECT_TRUE(best.root.empty());
  } else {
    EXPECT_NE(std::find(drives.begin(), drives.end(), best.root), drives.end());
  }
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  std::wstring folder = windows;
  EXPECT_GT(disk::freeSpaceMB(folder), 0.0);
  // Other programs may write in between: near enough is equal here.
  EXPECT_NEAR(disk::usableSpaceMB(folder), disk::freeSpaceMB(folder), 256.0);
  EXPECT_EQ(disk::freeSpaceMB(L"Q:\\nowhere"), 0.0);
  EXPECT_EQ(disk::usableSpaceMB(L"Q:\\nowhere"), 0.0);
  EXPECT_FALSE(disk::isSsd(L"Q:"));
  EXPECT_FALSE(disk::isRemovable(L"Q:"));
}
