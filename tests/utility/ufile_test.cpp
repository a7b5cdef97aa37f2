#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"
#include "utility/file_handle.h"
#include "utility/native_file.h"
#include "utility/ufile.h"

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;
namespace ufile = utility::ufile;

TEST(Ufile, FileNameCases) {
  struct Case {
    const wchar_t* path;
    bool keepExtension;
    const wchar_t* expected;
  } cases[] = {
      {L"C:\\dir\\setup.exe", false, L"setup"},
      {L"C:\\dir\\setup.exe", true, L"setup.exe"},
      {L"setup.exe", false, L""},
      {L"C:\\dir.old\\setup", false, L"setup"},
      {L"C:/dir/vorlane_en_x.tar.exe", false, L"vorlane_en_x.tar"},
      {L"C:\\mixed/dir\\name.exe", true, L"name.exe"},
      {L"C:\\dir\\", true, L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ufile::fileName(c.path, c.keepExtension), c.expected) << c.path;
}

TEST(Ufile, MakeDirCreatesParentsAndAcceptsExisting) {
  TempDir dir;
  std::wstring nested = dir.file(L"a\\b\\c");
  EXPECT_FALSE(ufile::exists(nested));
  EXPECT_TRUE(ufile::makeDir(nested));
  EXPECT_TRUE(ufile::exists(nested));
  EXPECT_TRUE(ufile::makeDir(nested));
}

TEST(Ufile, MoveReplacesTargetAndRemoveFailsOnMissingFile) {
  TempDir dir;
  std::wstring from = dir.file(L"package.exe.tmp"), to = dir.file(L"package.exe");
  writeFile(from, "new");
  writeFile(to, "old");
  EXPECT_TRUE(ufile::moveFile(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(readFile(to), "new");
  EXPECT_FALSE(ufile::exists(from));
  EXPECT_FALSE(ufile::moveFile(from, to, 0));
  EXPECT_TRUE(ufile::removeFile(to));
  EXPECT_FALSE(ufile::removeFile(to));
}

TEST(Ufile, AppDataDirIsAnExistingFolder) {
  std::wstring folder = ufile::appDataDir();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(ufile::exists(folder));
}

TEST(FileHandle, CreateWriteReopenAndRead) {
  TempDir dir;
  std::wstring path = dir.file(L"data.bin");
  utility::FileHandle out;
  ASSERT_TRUE(out.create(path));
  EXPECT_TRUE(out.write("0123456789", 10));
  out.close();
  EXPECT_FALSE(out.isOpen());

  utility::FileHandle in;
  ASSERT_TRUE(in.openForRead(path));
  EXPECT_EQ(in.size(), 10u);
  char buffer[16] = {};
  EXPECT_EQ(in.read(buffer, sizeof(buffer)), 10u);
  EXPECT_STREQ(buffer, "0123456789");
  in.close();

  utility::FileHandle missing;
  EXPECT_FALSE(missing.openForRead(dir.file(L"missing.bin")));
}

// The log's folders under the roaming application data are made level by
// level and held; a level that is a link (as a user may make one in their own
// profile) refuses the whole chain, and nothing is made where it leads: made
// by its path, as before, the folder would land wherever the link points.
TEST(NativeFile, AFolderChainIsMadeAndHeldOnlyWithoutLinks) {
  TempDir temp;
  std::vector<HANDLE> held = utility::native_file::openFolderChain(temp.path(), {L"a", L"b"});
  EXPECT_EQ(held.size(), 3u);
  EXPECT_TRUE(ufile::exists(temp.file(L"a\\b")));
  // Held without sharing deletion: nobody can put a link in a level's place.
  EXPECT_FALSE(MoveFileExW(temp.file(L"a").c_str(), temp.file(L"moved").c_str(), 0));
  for (HANDLE each : held) CloseHandle(each);

  const struct {
    std::wstring base;
    std::vector<std::wstring> levels;
    std::wstring mustNotExist;
  } refused[] = {
      {testing_support::junctionedFolder(), {L"made"}, testing_support::junctionTarget() + L"made"},
      {testing_support::leftoverLinkParent(), {L"Setup_0A1B2C3D_0000_1111_2222_333344445555", L"made"},
       testing_support::leftoverLinkTarget() + L"made"},
      {temp.path(), {L"..", L"made"}, temp.path() + L"\\..\\made"},
  };
  for (const auto& c : refused) {
    EXPECT_TRUE(utility::native_file::openFolderChain(c.base, c.levels).empty()) << c.base;
    EXPECT_FALSE(ufile::exists(c.mustNotExist)) << c.mustNotExist;
  }
}
