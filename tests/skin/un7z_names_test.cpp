// Which entry names may be written below a target folder, and where.
#include "skin/un7z_names.h"

#include <gtest/gtest.h>

using namespace utility::un7z;

TEST(Un7zNames, OnlyNamesThatStayInsideTheTargetAreSafe) {
  struct Case {
    const wchar_t* name;
    bool safe;
  };
  const Case cases[] = {
      {L"language.tsv", true},
      {L"common/btn_bg.png", true},
      {L"common\\btn_bg.png", true},
      {L"a/b/c/d.txt", true},
      {L"..hidden", true},
      {L"file..txt", true},
      {L"console.txt", true},
      {L"COM0", true},
      {L"", false},
      {L"..", false},
      {L"../evil.txt", false},
      {L"a/../../evil.txt", false},
      {L"a\\..\\..\\evil.txt", false},
      {L"a/..", false},
      {L".", false},
      {L"a/./b", false},
      {L"...", false},
      {L". .", false},
      {L"/etc/passwd", false},
      {L"\\windows\\evil.dll", false},
      {L"\\\\server\\share\\x", false},
      {L"C:/evil.txt", false},
      {L"C:evil.txt", false},
      {L"file.txt:stream", false},
      {L"CON", false},
      {L"nul.txt", false},
      {L"con.d/x", false},
      {L"a/com1", false},
      {L"Lpt9.log", false},
      {L"conout$", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.safe, isSafeEntryName(c.name)) << std::wstring(c.name).size();
}

TEST(Un7zNames, TargetPathJoinsWithOneBackSlash) {
  EXPECT_EQ(L"C:\\out\\common\\a.png", targetPath(L"C:\\out", L"common/a.png"));
  EXPECT_EQ(L"C:\\out\\a.png", targetPath(L"C:\\out\\", L"a.png"));
  EXPECT_EQ(L"C:\\out\\a.png", targetPath(L"C:/out/", L"a.png"));
  EXPECT_EQ(L"a.png", targetPath(L"", L"a.png"));
}

TEST(Un7zNames, ParentPathDropsTheLastPart) {
  EXPECT_EQ(L"C:\\out\\common", parentPath(L"C:\\out\\common\\a.png"));
  EXPECT_EQ(L"", parentPath(L"a.png"));
}
