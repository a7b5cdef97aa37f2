// utility::un7z over the archives make_test_archives.py made with 7zz.
#include "skin/un7z.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/skin/skin_test_files.h"
#include "tests/support/test_support.h"

using namespace utility::un7z;
using skin_test::archive;
using testing_support::TempDir;

namespace {

using Files = std::map<std::wstring, std::string>;
using Calls = std::vector<std::pair<std::wstring, std::string>>;

// The callback is a plain function: it records into the running test's list.
Calls* g_calls = nullptr;

void record(const wchar_t* name, const uint8_t* data, int32_t size) {
  g_calls->emplace_back(name, std::string(reinterpret_cast<const char*>(data), (size_t)size));
}

int toCallback(const std::string& bytes, Calls& calls) {
  g_calls = &calls;
  int code = extractToCallback(bytes.data(), (uint32_t)bytes.size(), &record);
  g_calls = nullptr;
  return code;
}

int toFolder(const std::string& bytes, const std::wstring& folder) {
  return extractToFolder(bytes.data(), (uint32_t)bytes.size(), folder);
}

Files asFiles(const Calls& calls) { return Files(calls.begin(), calls.end()); }

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

// Every archive that unpacks completely: folder mode reproduces the source tree
// exactly (directories and empty files included) and callback mode hands over
// every non-empty file once.
struct RoundTrip {
  const wchar_t* archive;
  const wchar_t* source;
};

const RoundTrip kRoundTrips[] = {
    {L"fixture_skin.7z", L"skin"},      // solid LZMA2, folders, empty file
    {L"bcj_lzma2.7z", L"bcj"},          // x86 filter + LZMA2 (the offer library's shape)
    {L"copy.7z", L"copy"},              // stored, one block per file
    {L"lzma.7z", L"lzma"},              // LZMA with a wrapping dictionary
    {L"delta.7z", L"delta"},            // Delta:4 + LZMA2
    {L"bcj2.7z", L"bcj2"},              // four-stream x86 filter, decoded whole
    {L"filter_arm.7z", L"filter_arm"},  // the other branch converters
    {L"filter_armt.7z", L"filter_armt"},
    {L"filter_ppc.7z", L"filter_ppc"},
    {L"filter_sparc.7z", L"filter_sparc"},
    {L"filter_ia64.7z", L"filter_ia64"},
    {L"filter_arm64.7z", L"filter_arm64"},
    {L"filter_riscv.7z", L"filter_riscv"},
    {L"emptyonly.7z", L"emptyonly"},  // no block at all
};

TEST(Un7z, FolderModeReproducesEverySourceTree) {
  for (const RoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(testing::Message()
                 << "archive " << std::string(c.archive, c.archive + wcslen(c.archive)));
    TempDir temp;
    std::wstring target = temp.path() + L"\\not\\yet\\there";
    Files expected = skin_test::treeOf(skin_test::sourceDir(c.source));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(0, toFolder(archive(c.archive), target));
    EXPECT_TRUE(skin_test::treeOf(target) == expected);
  }
}

TEST(Un7z, CallbackModeHandsOverEveryNonEmptyFileOnce) {
  for (const RoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(testing::Message()
                 << "archive " << std::string(c.archive, c.archive + wcslen(c.archive)));
    Calls calls;
    EXPECT_EQ(0, toCallback(archive(c.archive), calls));
    Files expected = skin_test::nonEmptyFiles(skin_test::treeOf(skin_test::sourceDir(c.source)));
    EXPECT_EQ(expected.size(), calls.size());
    EXPECT_TRUE(asFiles(calls) == expected);
  }
}

TEST(Un7z, CallbackSkinArchiveNamesUseSlashesAndSkipFoldersAndEmptyFiles) {
  Calls calls;
  ASSERT_EQ(0, toCallback(archive(L"fixture_skin.7z"), calls));
  Files files = asFiles(calls);
  EXPECT_EQ(1u, files.count(L"common/btn_bg.png"));
  EXPECT_EQ(1u, files.count(L"common/sub/deep.txt"));
  EXPECT_EQ(1u, files.count(L"language/en.xml"));
  for (const wchar_t* absent : {L"common", L"common/", L"language", L"emptydir", L"empty.txt"})
    EXPECT_EQ(0u, files.count(absent));
  EXPECT_EQ(skin_test::sourceFile(L"skin", L"big.bin"), files[L"big.bin"]);
}

TEST(Un7z, FolderModeAcceptsATargetEndingWithASeparator) {
  TempDir temp;
  EXPECT_EQ(0, toFolder(archive(L"bcj_lzma2.7z"), temp.path() + L"\\out\\"));
  EXPECT_EQ(skin_test::sourceFile(L"bcj", L"ds.dll"),
            testing_support::readFile(temp.path() + L"\\out\\ds.dll"));
}

TEST(Un7z, EmptyFileEntryIsCreatedInFolderModeAndSkippedByTheCallback) {
  TempDir temp;
  ASSERT_EQ(0, toFolder(archive(L"copy.7z"), temp.path()));
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExW(temp.file(L"zero.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(0u, data.nFileSizeLow);
  Calls calls;
  ASSERT_EQ(0, toCallback(archive(L"copy.7z"), calls));
  EXPECT_EQ(0u, asFiles(calls).count(L"zero.txt"));
}

TEST(Un7z, WrongStoredCrcGives1005AndNoCallbackForThatFileOrLater) {
  Calls calls;
  EXPECT_EQ(kCrcError, toCallback(archive(L"badcrc.7z"), calls));
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(L"f1.txt", calls[0].first);
}

TEST(Un7z, WrongStoredCrcInFolderModeLeavesTheWrittenFilesOnDisk) {
  TempDir temp;
  EXPECT_EQ(kCrcError, toFolder(archive(L"badcrc.7z"), temp.path()));
  EXPECT_EQ(skin_test::sourceFile(L"badcrc", L"f1.txt"),
            testing_support::readFile(temp.file(L"f1.txt")));
  EXPECT_EQ(skin_test::sourceFile(L"badcrc", L"f2.txt"),
            testing_support::readFile(temp.file(L"f2.txt")));
  EXPECT_FALSE(exists(temp.file(L"f3.txt")));
}

TEST(Un7z, BytesThatAreNoArchiveGive1014) {
  Calls calls;
  TempDir temp;
  EXPECT_EQ(kNoArchive, toCallback(archive(L"notarchive.bin"), calls));
  EXPECT_EQ(kNoArchive, toFolder(archive(L"notarchive.bin"), temp.path()));
  EXPECT_TRUE(calls.empty());
}

TEST(Un7z, ArchiveCutShortGives1006AndWritesNothing) {
  Calls calls;
  TempDir temp;
  EXPECT_EQ(kInputEof, toCallback(archive(L"truncated.7z"), calls));
  EXPECT_EQ(kInputEof, toFolder(archive(L"truncated.7z"), temp.path() + L"\\out"));
  EXPECT_TRUE(calls.empty());
  EXPECT_FALSE(exists(temp.path() + L"\\out"));
}

TEST(Un7z, NoBytesAtAllIsNoSuccess) {
  Calls calls;
  EXPECT_NE(0, extractToCallback(nullptr, 0, &record));
  EXPECT_NE(0, extractToCallback("7z", 2, &record));
}

// A read-only file or folder does not stop root under Wine, so the target file
// is held open without sharing, which Wine refuses like Windows.
TEST(Un7z, TargetFileThatCannotBeCreatedGives1015) {
  TempDir temp;
  // copy.7z lists the folder "sub" and the empty "zero.txt" before its data.
  ASSERT_TRUE(testing_support::writeFile(temp.file(L"zero.txt"), "old"));
  HANDLE held = CreateFileW(temp.file(L"zero.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(kCreateFailed, toFolder(archive(L"copy.7z"), temp.path()));
  CloseHandle(held);
  EXPECT_EQ("old", testing_support::readFile(temp.file(L"zero.txt")));
  EXPECT_FALSE(exists(temp.file(L"a.txt")));
}

TEST(Un7z, TargetFolderThatIsAFileGives1015) {
  TempDir temp;
  ASSERT_TRUE(testing_support::writeFile(temp.file(L"blocker"), "a file, not a folder"));
  EXPECT_EQ(kCreateFailed, toFolder(archive(L"bcj_lzma2.7z"), temp.file(L"blocker")));
}

TEST(Un7z, EntryClimbingOutOfTheTargetIsRefusedWith1013) {
  TempDir temp;
  std::wstring target = temp.path() + L"\\inner";
  EXPECT_EQ(kArchiveError, toFolder(archive(L"dotdot.7z"), target));
  EXPECT_FALSE(exists(temp.file(L"evil.txt")));
  EXPECT_FALSE(exists(target + L"\\evil.txt"));
  EXPECT_EQ(skin_test::sourceFile(L"dotdot", L"ok.txt"),
            testing_support::readFile(target + L"\\ok.txt"));
}

TEST(Un7z, AbsoluteEntryNameIsRefusedWith1013) {
  TempDir temp;
  EXPECT_EQ(kArchiveError, toFolder(archive(L"absolute.7z"), temp.path()));
  EXPECT_FALSE(exists(L"C:\\evil.txt"));
  EXPECT_FALSE(exists(L"C:/evil.txt"));
}

TEST(Un7z, CallbackModeHandsNamesOverAsStored) {
  Calls calls;
  EXPECT_EQ(0, toCallback(archive(L"dotdot.7z"), calls));
  EXPECT_EQ(1u, asFiles(calls).count(L"../evil.txt"));
}

TEST(Un7z, NameLongerThan259UnitsGives1003) {
  TempDir temp;
  Calls calls;
  EXPECT_EQ(kUnsupported, toCallback(archive(L"longname.7z"), calls));
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(kUnsupported, toFolder(archive(L"longname.7z"), temp.path()));
}
