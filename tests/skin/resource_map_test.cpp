// The resource map, filled from the fixture archive this program
// embeds as "ZIPRES" 129.
#include "skin/resource_map.h"

#include <gtest/gtest.h>

#include "tests/skin/skin_state.h"
#include "tests/skin/skin_test_files.h"
#include "tests/support/test_support.h"

using namespace DuiLib;
using testing_support::TempDir;

namespace {

// The looked-up bytes as a string, or "<none>" when the lookup found nothing.
std::string lookUp(const std::wstring& name) {
  uint32_t size = 12345;
  std::unique_ptr<uint8_t[]> bytes = loadResourceData(name, size);
  if (!bytes) return size == 0 ? "<none>" : "<none, but a count>";
  return std::string(reinterpret_cast<const char*>(bytes.get()), size);
}

class ResourceMap : public testing::Test {
 protected:
  void SetUp() override {
    skin_test::resetSkinState();
    loadZipResource(skin_test::kFixtureSkinId, L"no_such_table.tsv");
  }
};

}  // namespace

TEST_F(ResourceMap, InstancePathIsTheProgramFolderWithABackSlash) {
  EXPECT_EQ(testing_support::exeFolder(), instancePath());
  EXPECT_EQ(GetModuleHandleW(nullptr), instance());
  EXPECT_GT(windowsMajorVersion(), 4u);
}

TEST_F(ResourceMap, NoSkinFolderServesEveryFileFromTheArchive) {
  EXPECT_EQ(L"", resourcePath());
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"common/btn_bg.png"), lookUp(L"common/btn_bg.png"));
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"mainframe.xml"), lookUp(L"mainframe.xml"));
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"common/sub/deep.txt"), lookUp(L"common/sub/deep.txt"));
}

TEST_F(ResourceMap, BackSlashNamesFindSlashKeysAndKeysAreCaseSensitive) {
  struct Case {
    const wchar_t* name;
    bool found;
  };
  const Case cases[] = {
      {L"common/btn_bg.png", true},
      {L"common\\btn_bg.png", true},
      {L"common\\sub\\deep.txt", true},
      {L"Common/btn_bg.png", false},
      {L"common/BTN_BG.png", false},
      {L"MAINFRAME.XML", false},
      {L"/common/btn_bg.png", false},
      {L"btn_bg.png", false},
      {L"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.found, lookUp(c.name) != "<none>") << std::wstring(c.name).size();
  EXPECT_EQ(lookUp(L"common/btn_bg.png"), lookUp(L"common\\btn_bg.png"));
}

TEST_F(ResourceMap, DirectoryEntriesAndEmptyFilesAreNeverKeys) {
  for (const wchar_t* name :
       {L"common", L"common/", L"language", L"common/sub", L"emptydir", L"empty.txt"})
    EXPECT_EQ("<none>", lookUp(name));
}

TEST_F(ResourceMap, ResourcePathIsEmptyUnlessSomethingExistsThere) {
  TempDir temp;
  setResourcePath(temp.path());
  EXPECT_EQ(temp.path() + L"\\", resourcePath());
  setResourcePath(temp.path() + L"\\");
  EXPECT_EQ(temp.path() + L"\\", resourcePath());
  setResourcePath(temp.path() + L"/");
  EXPECT_EQ(temp.path() + L"/", resourcePath());
  setResourcePath(temp.path() + L"\\missing");
  EXPECT_EQ(L"", resourcePath());
  setResourcePath(instancePath() + L"skin");
  EXPECT_EQ(L"", resourcePath());
}

TEST_F(ResourceMap, LooseFileWinsAndMissingLooseFilesComeFromTheMap) {
  TempDir skin;
  ASSERT_TRUE(testing_support::writeFile(skin.file(L"mainframe.xml"), "<Window loose=\"1\"/>"));
  CreateDirectoryW(skin.file(L"common").c_str(), nullptr);
  ASSERT_TRUE(testing_support::writeFile(skin.file(L"common\\btn_bg.png"), "loose png"));
  setResourcePath(skin.path());
  EXPECT_EQ("<Window loose=\"1\"/>", lookUp(L"mainframe.xml"));
  EXPECT_EQ("loose png", lookUp(L"common/btn_bg.png"));
  EXPECT_EQ("loose png", lookUp(L"common\\btn_bg.png"));
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"common/sub/deep.txt"), lookUp(L"common/sub/deep.txt"));
  EXPECT_EQ("<none>", lookUp(L"nowhere.xml"));
}

TEST_F(ResourceMap, EmptyLooseFileIsTreatedAsMissing) {
  TempDir skin;
  ASSERT_TRUE(testing_support::writeFile(skin.file(L"mainframe.xml"), ""));
  setResourcePath(skin.path());
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"mainframe.xml"), lookUp(L"mainframe.xml"));
}

TEST_F(ResourceMap, AbsoluteNameIsReadFromDiskOrFindsNothing) {
  TempDir temp;
  ASSERT_TRUE(testing_support::writeFile(temp.file(L"abs.bin"), "absolute"));
  ASSERT_EQ(L':', temp.path()[1]);
  EXPECT_EQ("absolute", lookUp(temp.file(L"abs.bin")));
  EXPECT_EQ("<none>", lookUp(temp.file(L"missing.bin")));
}

TEST_F(ResourceMap, LookupsReturnCopiesAndLaterEntriesReplaceEarlierOnes) {
  uint32_t size = 0;
  std::unique_ptr<uint8_t[]> bytes = loadResourceData(L"mainframe.xml", size);
  ASSERT_TRUE(bytes);
  bytes[0] = 'X';
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"mainframe.xml"), lookUp(L"mainframe.xml"));
  const uint8_t replacement[] = {'n', 'e', 'w'};
  addZipEntry(L"mainframe.xml", replacement, 3);
  EXPECT_EQ("new", lookUp(L"mainframe.xml"));
}

TEST_F(ResourceMap, MissingResourceLeavesTheMapEmpty) {
  clearResourceMap();
  loadZipResource(4242, L"no_such_table.tsv");
  EXPECT_EQ("<none>", lookUp(L"mainframe.xml"));
}
