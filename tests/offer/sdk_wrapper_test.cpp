// The loader against the stand-in library, unpacked from this program's own
// resource 134 as the installer unpacks it: what each function is sent, what
// its answers do, and what is left on disk.
#include "offer/sdk_wrapper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standins/standins.h"
#include "tests/support/offer_standin.h"
#include "utility/text.h"
#include "utility/ufile.h"

using testing_support::OfferStandIn;
using Calls = std::vector<std::string>;

namespace {

std::wstring g_tempRoot;  // what the wrappers of these tests take as the temp folder
std::wstring testTempRoot() { return g_tempRoot; }
std::wstring noTempFolder() { return {}; }

// The entries of `folder` (files and folders), by name.
std::vector<std::wstring> entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

class SdkWrapperTest : public ::testing::Test {
 protected:
  testing_support::TempDir temp;
  OfferStandIn library;
  void SetUp() override { g_tempRoot = temp.path() + L"\\"; }
  void TearDown() override { g_tempRoot.clear(); }
};

TEST_F(SdkWrapperTest, LoadsFromAFolderOfItsOwnAndRemovesItAtRelease) {
  SDKWrapper wrapper(&testTempRoot);
  EXPECT_EQ(wrapper.init(L"en", L"buy"), SDKWrapper::kInitLoaded);
  EXPECT_TRUE(wrapper.loaded());
  EXPECT_EQ(wrapper.folder().rfind(g_tempRoot + L"Setup_", 0), 0u);
  EXPECT_EQ(entries(wrapper.folder()), std::vector<std::wstring>{L"ds.dll"});
  EXPECT_EQ(library.loads(), Calls{utility::wideToUtf8(wrapper.folder() + L"ds.dll")});
  EXPECT_EQ(library.calls(), (Calls{"1 {\"local\":\"en\",\"channel\":\"buy\"}",
                                    "2 {\"blocking\":\"true\"}"}));
  EXPECT_EQ(wrapper.install(), 1);
  EXPECT_TRUE(wrapper.release());
  EXPECT_EQ(library.arguments(7), Calls{""});
  EXPECT_EQ(library.arguments(9), Calls{""});  // the step ended normally
  EXPECT_FALSE(wrapper.loaded());
  EXPECT_TRUE(entries(temp.path()).empty());
}

// Every call goes through the guard: a Windows exception raised inside the
// library (another compiler's, a fault) ends in the call's stage on every
// build, and so does a C++ exception of the stand-in's own runtime where it
// can leave the library at all (64-bit: one table-based unwinding; a 32-bit
// library built with GCC ends in its own terminate handler instead).
TEST_F(SdkWrapperTest, EachAnswerAndExceptionEndsInItsStage) {
  // Modes, what the test then does, the stage, what release sends, and
  // whether the library is freed: never after an exception, never untold
  // once past function 1.
  const struct {
    const wchar_t* modes;
    bool closeWindow;
    int stage;
    Calls unload;
    bool freed;
  } cases[] = {
      {L"", false, 0, {""}, true},
      {L"", true, SDKWrapper::kClosedByUser, {"{\"force\":\"true\"}"}, true},
      {L"load=0", true, 1, {}, true},  // closing a failed library changes nothing
      {L"install=0", true, 7, {"{\"force\":\"true\"}"}, true},
      {L"throw=1", false, 1, {}, false},
      {L"throw=3", false, 3, {}, false},
      {L"throw=4", false, 4, {}, false},
      {L"throw=5", false, 5, {}, false},
      {L"throw=6", false, 6, {}, false},
      {L"throw=7", false, 7, {}, false},
      {L"throw=9", false, 9, {""}, false},
      {L"raise=1", false, 1, {}, false},
      {L"raise=2", false, 1, {}, false},
      {L"raise=3", false, 3, {}, false},
      {L"raise=4", false, 4, {}, false},
      {L"raise=5", false, 5, {}, false},
      {L"raise=6", false, 6, {}, false},
      {L"raise=7", false, 7, {}, false},
      {L"raise=9", false, 9, {""}, false},
  };
  for (const auto& c : cases) {
#ifndef _WIN64
    if (std::wstring(c.modes).rfind(L"throw=", 0) == 0) continue;
#endif
    OfferStandIn record;
    record.answer(c.modes);
    SDKWrapper wrapper(&testTempRoot);
    wrapper.init(L"en", L"normal");
    std::wstring dll = wrapper.folder() + L"ds.dll";
    wrapper.setWindow(nullptr, 0, 0, 10, 10);
    wrapper.display(nullptr, nullptr);
    wrapper.accept();
    wrapper.decline();
    int installed = wrapper.install();
    if (c.closeWindow) wrapper.markClosed();
    const std::wstring modes = c.modes;
    EXPECT_EQ(installed, modes == L"throw=7" || modes == L"raise=7" ? 0 : 1) << c.modes;
    EXPECT_EQ(wrapper.release(), modes != L"throw=9" && modes != L"raise=9") << c.modes;
    EXPECT_EQ(wrapper.failureStage(), c.stage) << c.modes;
    EXPECT_EQ(record.arguments(9), c.unload) << c.modes;
    EXPECT_EQ(GetModuleHandleW(dll.c_str()) == nullptr, c.freed) << c.modes;
    if (std::wstring(c.modes) == L"load=0") {
      EXPECT_TRUE(record.arguments(2).empty());  // not asked whether it is ready
    }
  }
}

TEST_F(SdkWrapperTest, WithoutATempFolderNothingOfTheCurrentFolderIsDeleted) {
  // Before Vista there is no temp folder to be had: release must not clean
  // "*.*" of the current folder, where the user started the installer.
  testing_support::TempDir current;
  ASSERT_TRUE(testing_support::writeFile(current.file(L"sentinel.txt"), "mine"));
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(current.path().c_str());
  SDKWrapper wrapper(&noTempFolder);
  EXPECT_EQ(wrapper.init(L"en", L"normal"), SDKWrapper::kInitFailed);
  EXPECT_EQ(wrapper.failureStage(), 1);
  wrapper.markClosed();  // a failed wrapper does not take the user's closing
  EXPECT_EQ(wrapper.failureStage(), 1);
  EXPECT_TRUE(wrapper.release());
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(utility::ufile::exists(current.file(L"sentinel.txt")));
  EXPECT_TRUE(library.calls().empty());
}

TEST_F(SdkWrapperTest, APlantedLibraryIsNeverLoadedAndOtherFilesSurvive) {
  // Another program's read-only "ds.dll" in the fixed folder an earlier
  // loader used, and a file of its own beside it.
  std::wstring planted = g_tempRoot + L"Setup";
  ASSERT_TRUE(utility::ufile::makeDir(planted));
  ASSERT_TRUE(CopyFileW(standins::offerLibrary().c_str(), (planted + L"\\ds.dll").c_str(), FALSE));
  SetFileAttributesW((planted + L"\\ds.dll").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(testing_support::writeFile(planted + L"\\other.txt", "theirs"));

  SDKWrapper wrapper(&testTempRoot);
  ASSERT_EQ(wrapper.init(L"en", L"normal"), SDKWrapper::kInitLoaded);
  EXPECT_NE(wrapper.folder(), planted + L"\\");
  EXPECT_TRUE(wrapper.release());
  ASSERT_EQ(library.loads().size(), 1u);
  EXPECT_EQ(library.loads()[0].find(utility::wideToUtf8(planted + L"\\")), std::string::npos);
  EXPECT_EQ(entries(planted), (std::vector<std::wstring>{L"ds.dll", L"other.txt"}));
  EXPECT_EQ(entries(temp.path()), std::vector<std::wstring>{L"Setup"});  // ours is gone
  SetFileAttributesW((planted + L"\\ds.dll").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW((planted + L"\\ds.dll").c_str());
}

// A loader whose unpacking reports a failure after writing the library.
class FailingUnpack : public SDKWrapper {
 public:
  using SDKWrapper::SDKWrapper;
  bool extractLibrary(const std::wstring& folder) override {
    SDKWrapper::extractLibrary(folder);
    return false;
  }
};

TEST_F(SdkWrapperTest, AFailedUnpackingLoadsNothingAndLeavesNothing) {
  FailingUnpack wrapper(&testTempRoot);
  EXPECT_EQ(wrapper.init(L"en", L"normal"), SDKWrapper::kInitFailed);
  EXPECT_TRUE(library.loads().empty());
  EXPECT_TRUE(entries(temp.path()).empty());
  EXPECT_TRUE(wrapper.release());
}

std::wstring junctionedTempRoot() { return testing_support::junctionedFolder(); }

// The library's folder must be private, or nothing is unpacked or loaded.
TEST_F(SdkWrapperTest, AFolderThatIsNotPrivateLoadsNothing) {
  const struct {
    const char* what;
    std::wstring (*tempRoot)();
    utility::PrivateFolder::FactsHook hook;
    std::wstring leftIn;
  } cases[] = {
      {"a junctioned temp folder", &junctionedTempRoot, nullptr, testing_support::junctionTarget()},
      {"a volume without ACLs", &testTempRoot,
       [](utility::FolderFacts& facts) { facts.volumeFlags &= ~FILE_PERSISTENT_ACLS; },
       g_tempRoot},
  };
  for (const auto& c : cases) {
    OfferStandIn record;
    SDKWrapper wrapper(c.tempRoot, c.hook);
    EXPECT_EQ(wrapper.init(L"en", L"normal"), SDKWrapper::kInitFailed) << c.what;
    EXPECT_EQ(wrapper.failureStage(), 1) << c.what;
    EXPECT_TRUE(record.loads().empty()) << c.what;
    EXPECT_TRUE(entries(c.leftIn).empty()) << c.what;
    EXPECT_TRUE(wrapper.release());
  }
}

TEST_F(SdkWrapperTest, TheLoadedLibrarysFolderCannotBeMovedAway) {
  SDKWrapper wrapper(&testTempRoot);
  ASSERT_EQ(wrapper.init(L"en", L"normal"), SDKWrapper::kInitLoaded);
  std::wstring folder = wrapper.folder();
  folder.pop_back();
  EXPECT_FALSE(MoveFileExW(folder.c_str(), (g_tempRoot + L"moved").c_str(), 0));
  EXPECT_TRUE(wrapper.release());
  EXPECT_TRUE(entries(temp.path()).empty());
}

TEST_F(SdkWrapperTest, TempFolderIsLocalAppDataTemp) {
  std::wstring folder = SDKWrapper::tempFolder();
  ASSERT_GE(folder.size(), 6u);
  EXPECT_EQ(folder.substr(folder.size() - 6), L"\\Temp\\");
  wchar_t local[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
  EXPECT_EQ(folder, std::wstring(local) + L"\\Temp\\");
}

}  // namespace
