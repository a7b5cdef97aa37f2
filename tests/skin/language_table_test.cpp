// Loading and looking up the language table. The fixture archive
// (ZIPRES 129) holds a "language.tsv" whose key "browser" reads "Browse...".
#include "skin/language_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/embedded_texts.h"
#include "tests/skin/skin_state.h"
#include "tests/support/test_support.h"

using namespace DuiLib;

namespace {

const char kLooseTable[] =
    "Code\tlanguage_code\tzh_CN\ten_US\r\n"
    "Language\tlanguage_name\tzh\ten\r\n"
    "Label\tonly_loose\tzh loose\tloose text\r\n";

std::wstring textOf(const std::wstring& key) {
  const std::wstring* text = findLangText(key);
  return text ? *text : L"<missing>";
}

class LanguageTable : public testing::Test {
 protected:
  void SetUp() override { skin_test::resetSkinState(); }
  void TearDown() override { skin_test::resetSkinState(); }
};

}  // namespace

TEST_F(LanguageTable, EmptyLanguageSelectsTheDefault) {
  setLanguage(L"", L"en_US");
  EXPECT_EQ(L"en_US", language());
  setLanguage(L"de_DE", L"en_US");
  EXPECT_EQ(L"de_DE", language());
}

TEST_F(LanguageTable, EmbeddedTableIsReadWhenNoLooseFileIsBesideTheProgram) {
  loadZipResource(skin_test::kFixtureSkinId, L"language.tsv");
  EXPECT_EQ(L"Browse...", textOf(L"browser"));
}

TEST_F(LanguageTable, UnknownLanguageReadsTheFirstLanguageColumn) {
  setLanguage(L"xx_XX", L"en_US");
  loadZipResource(skin_test::kFixtureSkinId, L"language.tsv");
  EXPECT_EQ(L"liulan", textOf(L"browser"));
}

TEST_F(LanguageTable, LooseTableBesideTheProgramReplacesTheEmbeddedOneCompletely) {
  skin_test::FileBesideProgram loose(L"language.tsv", kLooseTable);
  loadZipResource(skin_test::kFixtureSkinId, L"language.tsv");
  EXPECT_EQ(L"loose text", textOf(L"only_loose"));
  EXPECT_EQ(L"<missing>", textOf(L"browser"));
}

TEST_F(LanguageTable, ZeroByteLooseTableGivesNoTextsAtAll) {
  skin_test::FileBesideProgram loose(L"language.tsv", "");
  loadZipResource(skin_test::kFixtureSkinId, L"language.tsv");
  EXPECT_EQ(L"<missing>", textOf(L"browser"));
}

TEST_F(LanguageTable, LooseTableOf4MiBIsReadAndOneByteMoreIsNot) {
  std::string table = kLooseTable;
  table.resize(4 * 1024 * 1024, '\n');  // empty lines are skipped
  {
    skin_test::FileBesideProgram loose(L"language.tsv", table);
    loadLanguageTable(L"language.tsv");
    EXPECT_EQ(L"loose text", textOf(L"only_loose"));
  }
  clearLangTexts();
  table += '\n';
  skin_test::FileBesideProgram loose(L"language.tsv", table);
  loadLanguageTable(L"language.tsv");
  EXPECT_EQ(L"<missing>", textOf(L"only_loose"));
}

TEST_F(LanguageTable, SkinFolderCopyIsUsedBeforeTheArchiveCopy) {
  testing_support::TempDir skin;
  ASSERT_TRUE(testing_support::writeFile(skin.file(L"language.tsv"), kLooseTable));
  setResourcePath(skin.path());
  loadZipResource(skin_test::kFixtureSkinId, L"language.tsv");
  EXPECT_EQ(L"loose text", textOf(L"only_loose"));
  EXPECT_EQ(L"<missing>", textOf(L"browser"));
}

// Loose files beside the program are anyone's: whether a table lies beside
// it or in a "skin" folder, the offer's consent labels and the addresses keep
// the embedded skin's texts (swapped labels and a quoted address change
// nothing), and every other text is the loose table's.
TEST_F(LanguageTable, LooseRowsCannotChangeConsentLabelsOrAddresses) {
  const char swapped[] =
      "Code\tlanguage_code\ten_US\r\nLanguage\tlanguage_name\ten\r\n"
      "Label\tAccept\tReject\r\nLabel\tReject\tAccept\r\n"
      "Label\tironsource_url\thttps://x\" --flag\r\nLabel\tinstall_now\tloose install\r\n";
  loadZipResource(skin_test::kShippedSkinId, L"language.tsv");
  std::vector<std::wstring> embedded;
  for (const std::wstring& key : embeddedOnlyTexts()) embedded.push_back(textOf(key));
  ASSERT_EQ(embedded, (std::vector<std::wstring>{L"Accept", L"Reject", textOf(L"ironsource_url")}));

  for (bool besideTheProgram : {true, false}) {
    SCOPED_TRACE(besideTheProgram ? "beside the program" : "in a skin folder");
    skin_test::resetSkinState();
    keepEmbeddedTexts(embeddedOnlyTexts());
    testing_support::TempDir skin;
    std::unique_ptr<skin_test::FileBesideProgram> beside;
    if (besideTheProgram) {
      beside = std::make_unique<skin_test::FileBesideProgram>(L"language.tsv", swapped);
    } else {
      ASSERT_TRUE(testing_support::writeFile(skin.file(L"language.tsv"), swapped));
      setResourcePath(skin.path());
    }
    loadZipResource(skin_test::kShippedSkinId, L"language.tsv");
    std::vector<std::wstring> kept;
    for (const std::wstring& key : embeddedOnlyTexts()) kept.push_back(textOf(key));
    EXPECT_EQ(kept, embedded);
    EXPECT_EQ(textOf(L"install_now"), L"loose install");
  }
}

TEST_F(LanguageTable, LangTextReturnsAndRemembersMissingKeys) {
  loadZipResource(skin_test::kFixtureSkinId, L"language.tsv");
  EXPECT_EQ(L"Browse...", langText("browser"));
  EXPECT_EQ(L"<missing>", textOf(L"close_tip"));
  EXPECT_EQ(L"close_tip", langText("close_tip"));
  EXPECT_EQ(L"close_tip", textOf(L"close_tip"));
  std::string longKey(200, 'k');
  EXPECT_EQ(std::wstring(127, L'k'), langText(longKey.c_str()));
}

TEST_F(LanguageTable, ResolveReplacesOnlyKnownAtKeys) {
  setLangText(L"browser", L"Browse...");
  struct Case {
    const wchar_t* text;
    const wchar_t* resolved;
  };
  const Case cases[] = {
      {L"@browser", L"Browse..."},  {L"@", L"@"},
      {L"browser", L"browser"},     {L"@close_tip", L"@close_tip"},
      {L"x@browser", L"x@browser"}, {L"", L""},
      {L"@Browser", L"@Browser"},
  };
  for (const Case& c : cases) {
    std::wstring text = c.text;
    resolveLangText(text);
    EXPECT_EQ(c.resolved, text);
  }
}

TEST_F(LanguageTable, BadHeadersAddNothing) {
  std::string table =
      "Code\tcodes\tzh_CN\ten_US\r\nLanguage\tlanguage_name\tzh\ten\r\nLabel\tk\ta\tb\r\n";
  parseLanguageTable(reinterpret_cast<const uint8_t*>(table.data()), table.size());
  EXPECT_EQ(L"<missing>", textOf(L"k"));
}
