// The "language.tsv" rules as one table of cases.
#include "skin/language_tsv.h"

#include <gtest/gtest.h>

#include <string>

using namespace DuiLib;

namespace {

const char kHeader[] =
    "Code\tlanguage_code\tzh_CN\ten_US\tde_DE\r\n"
    "Language\tlanguage_name\tzh\tEnglish\tDeutsch\r\n";

// The text of `key` in the column chosen for `language`, or "<missing>".
std::wstring textOf(const std::string& table, const std::wstring& language,
                    const std::wstring& key) {
  LanguageColumn column =
      readLanguageColumn(reinterpret_cast<const uint8_t*>(table.data()), table.size(), language);
  std::wstring text = L"<missing>";
  for (const auto& [k, v] : column.texts)
    if (k == key) text = v;  // the later row wins
  return text;
}

struct Case {
  const char* what;
  std::string table;
  std::wstring language;
  std::wstring key;
  std::wstring expected;
};

const Case kCases[] = {
    {"the chosen column", std::string(kHeader) + "Label\tok\tque\tyes\tja\r\n", L"en_US", L"ok",
     L"yes"},
    {"the last column", std::string(kHeader) + "Label\tok\tque\tyes\tja\r\n", L"de_DE", L"ok",
     L"ja"},
    {"unknown code: first language column", std::string(kHeader) + "Label\tok\tque\tyes\tja\r\n",
     L"xx_XX", L"ok", L"que"},
    {"codes are case-sensitive", std::string(kHeader) + "Label\tok\tque\tyes\tja\r\n", L"EN_us",
     L"ok", L"que"},
    {"row 1 without language_code is rejected",
     "Code\tlanguage_codes\tzh_CN\ten_US\r\nLanguage\tlanguage_"
     "name\tzh\ten\r\nLabel\tok\tque\tyes\r\n",
     L"en_US", L"ok", L"<missing>"},
    {"row 2 without language_name is rejected",
     "Code\tlanguage_code\tzh_CN\ten_US\r\nLanguage\tname\tzh\ten\r\nLabel\tok\tque\tyes\r\n",
     L"en_US", L"ok", L"<missing>"},
    {"a lone row 1 is rejected", "Code\tlanguage_code\tzh_CN\ten_US\r\n", L"en_US",
     L"language_code", L"<missing>"},
    {"trailing TAB makes no empty last cell",
     std::string(kHeader) + "Label\tok\tque\tyes\tja\t\r\n", L"de_DE", L"ok", L"ja"},
    {"trailing TAB: the last language's key is missing",
     std::string(kHeader) + "Label\tok\tque\tyes\t\r\n", L"de_DE", L"ok", L"<missing>"},
    {"two TABs inside a line give an empty cell", std::string(kHeader) + "Label\tok\tque\t\tja\r\n",
     L"en_US", L"ok", L""},
    {"short row: key missing", std::string(kHeader) + "Label\tok\tque\r\n", L"en_US", L"ok",
     L"<missing>"},
    {"short row still serves earlier columns", std::string(kHeader) + "Label\tok\tque\r\n",
     L"zh_CN", L"ok", L"que"},
    {"row of one cell is skipped", std::string(kHeader) + "Label\r\n", L"zh_CN", L"Label",
     L"<missing>"},
    {"doubled key: the later row wins",
     std::string(kHeader) + "Label\tok\ta\tfirst\tc\r\nLabel\tok\ta\tsecond\tc\r\n", L"en_US",
     L"ok", L"second"},
    {"UTF-8 byte-order mark only changes the unread label",
     "\xEF\xBB\xBF" + std::string(kHeader) + "Label\tok\tque\tyes\tja\r\n", L"en_US", L"ok",
     L"yes"},
    {"LF line ends",
     "Code\tlanguage_code\tzh_CN\ten_US\nLanguage\tlanguage_name\tzh\ten\nLabel\tok\tq\ty\n",
     L"en_US", L"ok", L"y"},
    {"CR line ends",
     "Code\tlanguage_code\tzh_CN\ten_US\rLanguage\tlanguage_name\tzh\ten\rLabel\tok\tq\ty",
     L"en_US", L"ok", L"y"},
    {"empty lines are skipped",
     "\r\n\r\n" + std::string(kHeader) + "\r\n\r\nLabel\tok\tq\ty\tj\r\n\n", L"en_US", L"ok", L"y"},
    {"TABs at a line's start are skipped", std::string(kHeader) + "\t\tLabel\tok\tq\ty\tj\r\n",
     L"en_US", L"ok", L"y"},
    {"no escape processing", std::string(kHeader) + "Label\tk\tq\tline\\r\\nnext <n> %s\tj\r\n",
     L"en_US", L"k", L"line\\r\\nnext <n> %s"},
    {"UTF-8 text", std::string(kHeader) + "Label\tk\t\xE7\xAE\x80\xE4\xBD\x93\ty\tj\r\n", L"zh_CN",
     L"k", L"\u7B80\u4F53"},
    {"a cell of 512 units is kept",
     std::string(kHeader) + "Label\tk\tq\t" + std::string(512, 'x') + "\tj\r\n", L"en_US", L"k",
     std::wstring(512, L'x')},
    {"a cell of 513 units becomes empty",
     std::string(kHeader) + "Label\tk\tq\t" + std::string(513, 'x') + "\tj\r\n", L"en_US", L"k",
     L""},
    {"units, not bytes: 512 CJK characters fit",
     std::string(kHeader) + "Label\tk\tq\t" +
         [] {
           std::string s;
           for (int i = 0; i < 512; i++) s += "\xE4\xBD\x93";
           return s;
         }() +
         "\tj\r\n",
     L"en_US", L"k", std::wstring(512, L'\u4F53')},
    {"no final line end", std::string(kHeader) + "Label\tok\tq\ty\tj", L"de_DE", L"ok", L"j"},
};

}  // namespace

TEST(LanguageTsv, EveryRuleOfTheFormat) {
  for (const Case& c : kCases) EXPECT_EQ(c.expected, textOf(c.table, c.language, c.key)) << c.what;
}

TEST(LanguageTsv, HeaderRowsAreKeptAsRead) {
  std::string table = kHeader;
  LanguageColumn column =
      readLanguageColumn(reinterpret_cast<const uint8_t*>(table.data()), table.size(), L"en_US");
  ASSERT_TRUE(column.accepted);
  EXPECT_EQ(3u, column.column);
  ASSERT_EQ(5u, column.codes.size());
  EXPECT_EQ(L"de_DE", column.codes[4]);
  EXPECT_EQ(L"Deutsch", column.names[4]);
}

TEST(LanguageTsv, SplitsCellsByTheTabRules) {
  std::string data = "a\tb\t\tc\t\r\n\td\te\n";
  auto rows = splitLanguageRows(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  ASSERT_EQ(2u, rows.size());
  ASSERT_EQ(4u, rows[0].size());
  EXPECT_EQ("", rows[0][2]);
  EXPECT_EQ("c", rows[0][3]);
  ASSERT_EQ(2u, rows[1].size());
  EXPECT_EQ("d", rows[1][0]);
}
