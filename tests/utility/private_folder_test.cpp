// The private folder for what the elevated program runs or loads: made new,
// held so that nobody can move it, refused whenever it is not what it seems,
// and removed with exactly the files put there.
#include "utility/private_folder.h"

#include <gtest/gtest.h>

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

}  // namespace

TEST(PrivateFolder, RefusalRules) {
  const std::wstring asked = L"C:\\Users\\u\\AppData\\Local\\Temp\\Setup_1";
  FolderFacts sound;
  sound.isDirectory = true;
  sound.volumeFlags = FILE_PERSISTENT_ACLS | FILE_CASE_PRESERVED_NAMES;
  sound.owner = FolderFacts::Owner::administrators;
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
