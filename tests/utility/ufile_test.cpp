#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "utility/file_handle.h"
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
