// The shipped skin: the archive the build packs from skin/files (this program
// embeds it as "ZIPRES" 130), its language table, and the installer embedding
// the same archive as "ZIPRES" 129.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "skin/language_tsv.h"
#include "skin/un7z.h"
#include "tests/skin/skin_state.h"
#include "tests/skin/skin_test_files.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

using namespace DuiLib;

namespace {

std::map<std::wstring, std::string>* g_files = nullptr;

void keep(const wchar_t* name, const uint8_t* data, int32_t size) {
  (*g_files)[name] = std::string(reinterpret_cast<const char*>(data), (size_t)size);
}

std::map<std::wstring, std::string> shippedFiles() {
  std::map<std::wstring, std::string> files;
  std::string archive =
      skin_test::zipResource(GetModuleHandleW(nullptr), skin_test::kShippedSkinId);
  g_files = &files;
  EXPECT_EQ(0, utility::un7z::extractToCallback(archive.data(), (uint32_t)archive.size(), &keep));
  g_files = nullptr;
  return files;
}

const std::vector<std::wstring> kLanguages = {L"zh_CN", L"zh_TW", L"en_US", L"ko_KR", L"vi_VN",
                                              L"th_TH", L"in_ID", L"ja_JP", L"ru_RU", L"pt_PT",
                                              L"es_ES", L"ar_IL", L"tr_TR", L"fr_FR", L"de_DE",
                                              L"it_IT", L"fa_IR", L"ms_MY", L"uk_UA"};

// The printf conversions of a text, in order ("%%" is no placeholder).
std::vector<std::wstring> placeholders(const std::wstring& text) {
  std::vector<std::wstring> found;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] != L'%') continue;
    if (i + 1 < text.size() && text[i + 1] == L'%') {
      i++;
      continue;
    }
    size_t end = text.find_first_not_of(L"-+ #0123456789.lhI", i + 1);
    if (end == std::wstring::npos) end = text.size() - 1;
    found.push_back(text.substr(i, end - i + 1));
    i = end;
  }
  return found;
}

class ShippedSkin : public testing::Test {
 protected:
  void SetUp() override {
    files_ = shippedFiles();
    table_ = files_[L"language.tsv"];
  }
  LanguageColumn column(const std::wstring& language) {
    return readLanguageColumn(reinterpret_cast<const uint8_t*>(table_.data()), table_.size(),
                              language);
  }
  // The texts as the program keeps them: a later row of a key wins.
  std::map<std::wstring, std::wstring> programTexts(const std::wstring& language) {
    std::map<std::wstring, std::wstring> result;
    for (auto& [key, text] : column(language).texts) result[key] = text;
    return result;
  }

  std::map<std::wstring, std::string> files_;
  std::string table_;
};

}  // namespace

TEST_F(ShippedSkin, ArchiveHoldsTheLanguageTableAndTheSkinFolders) {
  ASSERT_EQ(1u, files_.count(L"language.tsv"));
  testing_support::TempDir temp;
  std::string archive =
      skin_test::zipResource(GetModuleHandleW(nullptr), skin_test::kShippedSkinId);
  ASSERT_EQ(0,
            utility::un7z::extractToFolder(archive.data(), (uint32_t)archive.size(), temp.path()));
  auto tree = skin_test::treeOf(temp.path());
  EXPECT_EQ(1u, tree.count(L"common/"));
  EXPECT_EQ(1u, tree.count(L"language/"));
}

TEST_F(ShippedSkin, TableHas21ColumnsAnd81RowsWith77Keys) {
  auto rows = splitLanguageRows(reinterpret_cast<const uint8_t*>(table_.data()), table_.size());
  ASSERT_EQ(83u, rows.size());
  LanguageColumn english = column(L"en_US");
  ASSERT_TRUE(english.accepted);
  ASSERT_EQ(21u, english.codes.size());
  EXPECT_EQ(L"Code", english.codes[0]);
  for (size_t i = 0; i < kLanguages.size(); i++) EXPECT_EQ(kLanguages[i], english.codes[i + 2]);
  EXPECT_EQ(21u, english.names.size());
  EXPECT_EQ(81u, english.texts.size());
  EXPECT_EQ(77u, programTexts(L"en_US").size());
  for (size_t r = 2; r < rows.size(); r++) {
    EXPECT_EQ(21u, rows[r].size()) << "row " << r + 1;
    EXPECT_EQ("Label", rows[r][0]) << "row " << r + 1;
  }
}

TEST_F(ShippedSkin, EveryKeyHasATextInEveryLanguageWithinTheCellLimit) {
  auto rows = splitLanguageRows(reinterpret_cast<const uint8_t*>(table_.data()), table_.size());
  for (const TsvRow& row : rows)
    for (std::string_view cell : row)
      EXPECT_LE(utility::utf8ToWide(cell).size(), kLanguageCellUnits)
          << std::string(cell.substr(0, 40));
  std::set<std::wstring> keys;
  for (auto& [key, text] : programTexts(L"en_US")) keys.insert(key);
  for (const std::wstring& language : kLanguages) {
    auto texts = programTexts(language);
    EXPECT_EQ(77u, texts.size());
    for (const std::wstring& key : keys)
      EXPECT_FALSE(texts[key].empty())
          << utility::wideToUtf8(language) << " " << utility::wideToUtf8(key);
  }
}

TEST_F(ShippedSkin, EveryTranslationHasTheEnglishPlaceholders) {
  auto english = column(L"en_US").texts;
  for (const std::wstring& language : kLanguages) {
    auto texts = column(language).texts;
    ASSERT_EQ(english.size(), texts.size());
    for (size_t i = 0; i < texts.size(); i++)
      EXPECT_EQ(placeholders(english[i].second), placeholders(texts[i].second))
          << utility::wideToUtf8(language) << " " << utility::wideToUtf8(texts[i].first);
  }
}

TEST_F(ShippedSkin, EnglishTextsThePartsName) {
  auto english = programTexts(L"en_US");
  EXPECT_EQ(L"Minimize", english[L"minimize_tip"]);
  EXPECT_EQ(L"Accept", english[L"accept_protocol"]);
  EXPECT_EQ(L"Yes", english[L"path_ok"]);
  EXPECT_EQ(L"No, thanks", english[L"path_not"]);
  EXPECT_EQ(L"Error", english[L"error"]);
  EXPECT_EQ(L"Browse...", english[L"browser"]);
  EXPECT_EQ(L"OK", english[L"confirm"]);  // the install checks' button
  EXPECT_EQ(L"Vorlane Installer", english[L"window_title"]);
  EXPECT_EQ(
      L"This version is not compatible with current Windows system\\r\\nPlease update your system "
      L"to "
      L"higher than Win 7 and reinstall",
      english[L"error_xp"]);
  EXPECT_EQ(std::vector<std::wstring>{L"%s"}, placeholders(english[L"pathTip_morebig"]));
  EXPECT_EQ(english[L"pathTip_morebig"], english[L"path_more"]);
  EXPECT_EQ((std::vector<std::wstring>{L"%s", L"%s"}), placeholders(english[L"pathTip_ssd"]));
  EXPECT_EQ(english[L"pathTip_ssd"], english[L"path_ssd"]);
  EXPECT_NE(std::wstring::npos, english[L"remomend_ad_conent"].find(L"<n><n>"));
  EXPECT_NE(std::wstring::npos, english[L"remomend_ad_conent"].find(L'\u00A0'));
}

TEST_F(ShippedSkin, UnknownLanguageFallsBackToSimplifiedChinese) {
  EXPECT_EQ(programTexts(L"zh_CN"), programTexts(L"xx_XX"));
}

TEST(InstallerResource, InstallerEmbedsTheShippedSkinAsZipres129) {
  std::wstring installer = testing_support::exeFolder() + L"..\\..\\app\\VorlaneInstaller.exe";
  HMODULE module = LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module != nullptr);
  std::string embedded = skin_test::zipResource(module, 129);
  FreeLibrary(module);
  EXPECT_FALSE(embedded.empty());
  EXPECT_EQ(skin_test::zipResource(GetModuleHandleW(nullptr), skin_test::kShippedSkinId), embedded);
}
