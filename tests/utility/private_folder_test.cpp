// The private folder for what the elevated program runs or loads: made new,
// held so that nobody can move it, refused whenever it is not what it seems,
// and removed with exactly the files put there.
#include "utility/private_folder.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"
#include "utility/ufile.h"

using testing_support::TempDir;
using utility::FolderFacts;
using utility::PrivateFolder;

namespace {

bool isEmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return empty;
}

// The current time moved by `seconds`.
FILETIME shiftedNow(int seconds) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER value{{now.dwLowDateTime, now.dwHighDateTime}};
  value.QuadPart += static_cast<LONGLONG>(seconds) * 10000000;
  return {value.LowPart, value.HighPart};
}

// A run's kept folder "Kept" in `parent` with a file "bytes" it left there,
// let go of; its path, or empty when it could not be made.
std::wstring keptFolderWithBytes(const std::wstring& parent, const std::string& bytes) {
  PrivateFolder kept(L"");
  if (!kept.openKept(parent, L"Kept") || !testing_support::writeFile(kept.path() + L"bytes", bytes))
    return {};
  return kept.path();
}

}  // namespace

TEST(PrivateFolder, RefusalRules) {
  const std::wstring asked = L"C:\\Users\\u\\AppData\\Local\\Temp\\Setup_1";
  FolderFacts sound;
  sound.isDirectory = true;
  sound.volumeFlags = FILE_PERSISTENT_ACLS | FILE_CASE_PRESERVED_NAMES;
  sound.driveType = DRIVE_FIXED;
  sound.owner = FolderFacts::Owner::administrators;
  sound.aclProtected = true;
  sound.othersMayChange = false;
  sound.finalPath = asked;
  struct Case {
    const char* what;
    void (*change)(FolderFacts&);
    bool refused;
  } cases[] = {
      {"owned by Administrators", [](FolderFacts&) {}, false},
      {"owned by the system", [](FolderFacts& f) { f.owner = FolderFacts::Owner::system; }, false},
      {"the same path in other letter case",
       [](FolderFacts& f) { f.finalPath = L"C:\\users\\U\\appdata\\local\\temp\\setup_1"; }, false},
      {"not a folder", [](FolderFacts& f) { f.isDirectory = false; }, true},
      {"a reparse point", [](FolderFacts& f) { f.isReparsePoint = true; }, true},
      {"a volume without ACLs", [](FolderFacts& f) { f.volumeFlags = FILE_CASE_PRESERVED_NAMES; },
       true},
      {"owned by a user", [](FolderFacts& f) { f.owner = FolderFacts::Owner::other; }, true},
      {"on a network share", [](FolderFacts& f) { f.driveType = DRIVE_REMOTE; }, true},
      {"on a removable drive", [](FolderFacts& f) { f.driveType = DRIVE_REMOVABLE; }, true},
      {"an ACL that lets others change it", [](FolderFacts& f) { f.othersMayChange = true; }, true},
      {"an ACL that lets others change it, where no owners are kept",
       [](FolderFacts& f) {
         f.othersMayChange = true;
         f.systemKeepsOwners = false;
       },
       true},
      {"an ACL inherited from the parent", [](FolderFacts& f) { f.aclProtected = false; }, true},
      {"an unprotected ACL where the system keeps none of its own",
       [](FolderFacts& f) {
         f.aclProtected = false;
         f.systemKeepsOwners = false;
       },
       false},
      {"owned by a user where no owners are kept",
       [](FolderFacts& f) {
         f.owner = FolderFacts::Owner::other;
         f.systemKeepsOwners = false;
       },
       false},
      {"reached through a junction",
       [](FolderFacts& f) { f.finalPath = L"D:\\elsewhere\\Setup_1"; }, true},
      {"a final path nobody could tell", [](FolderFacts& f) { f.finalPath.clear(); }, true},
  };
  for (const auto& c : cases) {
    FolderFacts facts = sound;
    c.change(facts);
    EXPECT_EQ(utility::privateFolderRefusal(facts, asked) != nullptr, c.refused) << c.what;
  }
}

TEST(PrivateFolder, HeldWhileInUseAndRemovedWithTheFilesPutThere) {
  TempDir temp;
  PrivateFolder folder(L"Package_");
  ASSERT_TRUE(folder.create(temp.path() + L"\\"));
  const std::wstring path = folder.path();
  EXPECT_EQ(path.rfind(temp.path() + L"\\Package_", 0), 0u) << path;
  EXPECT_EQ(path.back(), L'\\');

  // Nobody can move it and put another folder under its name.
  const std::wstring moved = temp.file(L"moved");
  EXPECT_FALSE(MoveFileExW(path.substr(0, path.size() - 1).c_str(), moved.c_str(), 0));
  EXPECT_FALSE(utility::ufile::exists(moved));

  ASSERT_TRUE(testing_support::writeFile(path + L"Vorlane.exe", "package"));
  folder.noteFile(L"Vorlane.exe");
  folder.remove();
  EXPECT_FALSE(folder.exists());
  EXPECT_FALSE(utility::ufile::exists(path));
  EXPECT_TRUE(isEmptyFolder(temp.path() + L"\\"));
}

TEST(PrivateFolder, AFileNobodyNotedIsNeverDeleted) {
  TempDir temp;
  PrivateFolder folder(L"Setup_");
  ASSERT_TRUE(folder.create(temp.path() + L"\\"));
  const std::wstring path = folder.path();
  ASSERT_TRUE(testing_support::writeFile(path + L"other.txt", "not ours"));
  folder.remove();
  EXPECT_EQ(testing_support::readFile(path + L"other.txt"), "not ours");
}

TEST(PrivateFolder, AJunctionOnTheWayIsRefusedAndLeavesNothing) {
  PrivateFolder folder(L"Setup_");
  EXPECT_FALSE(folder.create(testing_support::junctionedFolder()));
  EXPECT_FALSE(folder.exists());
  EXPECT_TRUE(folder.path().empty());
  EXPECT_TRUE(isEmptyFolder(testing_support::junctionTarget()));
}

TEST(PrivateFolder, AVolumeWithoutAclsIsRefusedAndLeavesNothing) {
  TempDir temp;
  PrivateFolder folder(L"Setup_", [](FolderFacts& facts) { facts.volumeFlags = 0; });
  EXPECT_FALSE(folder.create(temp.path() + L"\\"));
  EXPECT_TRUE(isEmptyFolder(temp.path() + L"\\"));
}

// A made folder holds nothing for anyone but administrators and the system
// (under Wine: its owner), and keeps its ACL to itself.
TEST(PrivateFolder, ItsAclLetsNobodyElseChangeIt) {
  TempDir temp;
  PrivateFolder folder(L"Setup_");
  ASSERT_TRUE(folder.create(temp.path() + L"\\"));
  HANDLE held = CreateFileW(folder.path().c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  FolderFacts facts = utility::readFolderFacts(held);
  CloseHandle(held);
  EXPECT_FALSE(facts.othersMayChange);
  EXPECT_EQ(facts.driveType, (UINT)DRIVE_FIXED);
  if (facts.systemKeepsOwners) {
    EXPECT_TRUE(facts.aclProtected);
  }
}

TEST(PrivateFolder, OnlyItsOwnNamesCountAsItsFolders) {
  const struct {
    const wchar_t* name;
    bool ours;
  } cases[] = {
      {L"Setup_0A1B2C3D_4E5F_6a7b_8C9D_0E1F2A3B4C5D", true},
      {L"Setup_0A1B2C3D_4E5F_6a7b_8C9D_0E1F2A3B4C5", false},    // one digit short
      {L"Setup_0A1B2C3D_4E5F_6a7b_8C9D_0E1F2A3B4C5DX", false},  // one too many
      {L"Setup_0A1B2C3D-4E5F-6a7b-8C9D-0E1F2A3B4C5D", false},
      {L"Setup_0A1B2C3G_4E5F_6a7b_8C9D_0E1F2A3B4C5D", false},
      {L"Setup_tool", false},
      {L"Package_0A1B2C3D_4E5F_6a7b_8C9D_0E1F2A3B4C5D", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(utility::isPrivateFolderName(c.name, L"Setup_"), c.ours) << c.name;
}

// Folders an earlier run could not remove: a library still mapped, a package
// still running. The next run empties and removes them where it can.
TEST(PrivateFolder, LeftoversOfEarlierRunsGoWhereNothingHoldsThem) {
  TempDir temp;
  const std::wstring parent = temp.path() + L"\\";
  // Two seconds either side of now: file times may be kept coarsely.
  const FILETIME before = shiftedNow(-2);

  // Each leftover as its run left it: files it did not delete, one still open.
  auto leftover = [&](const wchar_t* prefix, std::vector<std::wstring> files,
                      PrivateFolder::FactsHook hook = nullptr) {
    PrivateFolder folder(prefix, hook);
    EXPECT_TRUE(folder.create(parent));
    std::wstring path = folder.path();
    for (const std::wstring& file : files) {
      if (file.back() == L'\\') {
        CreateDirectoryW((path + file).c_str(), nullptr);
      } else {
        EXPECT_TRUE(testing_support::writeFile(path + file, "left"));
      }
    }
    folder.remove();
    return path;
  };
  const std::wstring mapped = leftover(L"Setup_", {L"ds.dll"});
  const std::wstring running = leftover(L"Package_", {L"Vorlane.exe"});
  const std::wstring nested = leftover(L"Package_", {L"Vorlane.exe", L"data\\"});
  const std::wstring foreign = parent + L"Setup_tool\\";
  ASSERT_TRUE(CreateDirectoryW(foreign.c_str(), nullptr));
  ASSERT_TRUE(testing_support::writeFile(foreign + L"tool.exe", "theirs"));
  HANDLE inUse = CreateFileW((running + L"Vorlane.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);

  // Made after the time given: this run's own, whatever their state.
  for (const wchar_t* prefix : {L"Setup_", L"Package_"})
    utility::removeLeftoverFolders(parent, prefix, before);
  EXPECT_TRUE(utility::ufile::exists(mapped + L"ds.dll"));

  const FILETIME now = shiftedNow(2);
  // A folder that is not what ours are (another owner, on Windows) stays.
  utility::removeLeftoverFolders(parent, L"Setup_", now, [](FolderFacts& facts) {
    facts.owner = FolderFacts::Owner::other;
    facts.systemKeepsOwners = true;
  });
  EXPECT_TRUE(utility::ufile::exists(mapped + L"ds.dll"));

  for (const wchar_t* prefix : {L"Setup_", L"Package_"})
    utility::removeLeftoverFolders(parent, prefix, now);
  utility::removeLeftoverFolders(testing_support::leftoverLinkParent(), L"Setup_", now);
  EXPECT_FALSE(utility::ufile::exists(mapped));
  EXPECT_TRUE(utility::ufile::exists(running + L"Vorlane.exe"));  // still running
  EXPECT_FALSE(utility::ufile::exists(nested + L"Vorlane.exe"));
  EXPECT_TRUE(utility::ufile::exists(nested + L"data"));  // a folder in it is no file of ours
  EXPECT_TRUE(utility::ufile::exists(foreign + L"tool.exe"));
  EXPECT_EQ(testing_support::readFile(testing_support::leftoverLinkTarget() + L"keep.txt"),
            "not a leftover");
  CloseHandle(inUse);

  // Once nothing holds it, the next run clears it too.
  utility::removeLeftoverFolders(parent, L"Package_", now);
  EXPECT_FALSE(utility::ufile::exists(running));
  RemoveDirectoryW((nested + L"data").c_str());
}

// A folder kept for the next run: made like a new one, found again under its
// name by the next run, and left alone, with everything in it and behind it,
// when it is not what it seems.
TEST(PrivateFolder, AKeptFolderOutlivesItsHolderAndIsCheckedWhenFoundAgain) {
  TempDir temp;
  const std::wstring parent = temp.path() + L"\\";
  const std::wstring path = keptFolderWithBytes(parent, "earlier run");
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(testing_support::readFile(path + L"bytes"), "earlier run");
  {
    PrivateFolder again(L"");
    ASSERT_TRUE(again.openKept(parent, L"Kept"));
    EXPECT_EQ(again.path(), path);
  }

  struct Case {
    const char* what;
    std::wstring parent;
    const wchar_t* name;
    PrivateFolder::FactsHook hook;
    std::wstring stays;  // a file that must be there afterwards
  } cases[] = {
      {"owned by a user", parent, L"Kept",
       [](FolderFacts& f) {
         f.owner = FolderFacts::Owner::other;
         f.systemKeepsOwners = true;
       },
       path + L"bytes"},
      {"on a volume without ACLs", parent, L"Kept", [](FolderFacts& f) { f.volumeFlags = 0; },
       path + L"bytes"},
      {"its name a link to elsewhere", testing_support::leftoverLinkParent(), L"PackageDownload",
       nullptr, testing_support::leftoverLinkTarget() + L"keep.txt"},
      {"reached through a junction", testing_support::junctionedFolder(), L"Kept", nullptr, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PrivateFolder kept(L"", c.hook);
    EXPECT_FALSE(kept.openKept(c.parent, c.name));
    EXPECT_FALSE(kept.exists());
    kept.remove();
    if (!c.stays.empty()) {
      EXPECT_TRUE(utility::ufile::exists(c.stays));
    }
  }
  EXPECT_TRUE(isEmptyFolder(testing_support::junctionTarget()));

  PrivateFolder done(L"");
  ASSERT_TRUE(done.openKept(parent, L"Kept"));
  done.noteFile(L"bytes");
  done.remove();
  EXPECT_FALSE(utility::ufile::exists(path));
}

// A kept folder nobody came back for is removed by the leftovers' clean-up
// once nothing of it has been written for the time given; one in use, or one
// that is not what it seems, stays.
TEST(PrivateFolder, AnAbandonedKeptFolderGoes) {
  TempDir temp;
  const std::wstring parent = temp.path() + L"\\";
  const std::wstring path = keptFolderWithBytes(parent, "unfinished");
  ASSERT_FALSE(path.empty());
  // Written since the time given: still in use.
  utility::removeAbandonedFolder(parent, L"Kept", shiftedNow(-2));
  EXPECT_TRUE(utility::ufile::exists(path + L"bytes"));
  // Not what ours are.
  utility::removeAbandonedFolder(parent, L"Kept", shiftedNow(2), [](FolderFacts& facts) {
    facts.owner = FolderFacts::Owner::other;
    facts.systemKeepsOwners = true;
  });
  EXPECT_TRUE(utility::ufile::exists(path + L"bytes"));
  utility::removeAbandonedFolder(testing_support::leftoverLinkParent(), L"PackageDownload",
                                 shiftedNow(2));
  EXPECT_EQ(testing_support::readFile(testing_support::leftoverLinkTarget() + L"keep.txt"),
            "not a leftover");

  utility::removeAbandonedFolder(parent, L"Kept", shiftedNow(2));
  EXPECT_FALSE(utility::ufile::exists(path));
}

// A leftover anyone may change is left whole: someone could have swapped
// what is in it for links by then (on Windows, with an opportunistic lock
// held on a file in it, even while it is being emptied). In one that only
// administrators can change, plain files go; links, hard-linked files and
// folders stay, and nothing they lead to changes.
TEST(PrivateFolder, LeftoversAreEmptiedOnlyOfTheirOwnPlainFiles) {
  const std::wstring parent = testing_support::leftoverLinks();
  const std::wstring outside = testing_support::leftoverOutside();
  const struct {
    const wchar_t* leftover;
    bool emptied;
  } cases[] = {{testing_support::kSoundLeftover, true}, {testing_support::kWritableLeftover, false}};
  for (const auto& c : cases) {
    const std::wstring folder = parent + c.leftover;
    ASSERT_TRUE(testing_support::writeFile(folder + L"ds.dll", "left"));
    ASSERT_TRUE(CreateHardLinkW((folder + L"hard.dll").c_str(), (outside + L"hard_target.txt").c_str(),
                                nullptr));
  }
  utility::removeLeftoverFolders(parent, L"Setup_", shiftedNow(2));
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.leftover);
    const std::wstring folder = parent + c.leftover;
    EXPECT_EQ(utility::ufile::exists(folder + L"ds.dll"), !c.emptied);
    for (const wchar_t* link : {L"hard.dll", L"symlink.dll", L"junction\\inside.txt"})
      EXPECT_EQ(testing_support::readFile(folder + link), "outside") << link;
    DeleteFileW((folder + L"ds.dll").c_str());
    DeleteFileW((folder + L"hard.dll").c_str());  // the name only: the file keeps its other one
  }
  for (const wchar_t* file : {L"folder\\inside.txt", L"file.txt", L"hard_target.txt"})
    EXPECT_EQ(testing_support::readFile(outside + file), "outside") << file;
}
