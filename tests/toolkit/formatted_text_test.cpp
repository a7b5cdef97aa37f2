#include "toolkit/formatted_text.h"

#include <gtest/gtest.h>

namespace DuiLib {
namespace {

// Runs written as text|flags, flags: b u c(olour) n(ewline); one string per run.
std::vector<std::wstring> describe(const std::wstring& formatted) {
  std::vector<std::wstring> out;
  for (const TextRun& run : parseFormattedText(formatted)) {
    std::wstring flags;
    if (run.bold) flags += L'b';
    if (run.underline) flags += L'u';
    if (run.hasColor) flags += L'c';
    if (run.lineBreak) flags += L'n';
    out.push_back(run.text + L"|" + flags);
  }
  return out;
}

TEST(FormattedText, TagsBecomeRuns) {
  struct Case {
    const wchar_t* text;
    std::vector<std::wstring> runs;
  } cases[] = {
      {L"plain", {L"plain|"}},
      {L"<u>Licensing Protocol</u>", {L"Licensing Protocol|u"}},
      {L"a<b>bold</b>c", {L"a|", L"bold|b", L"c|"}},
      {L"one<n><n>two", {L"one|", L"|n", L"|n", L"two|"}},
      {L"x\r\ny", {L"x|", L"|n", L"y|"}},
      {L"<c #FF0000>red</c> and <b><u>both</u></b>", {L"red|c", L" and |", L"both|bu"}},
      {L"a <unknown> tag", {L"a <unknown> tag|"}},
      {L"5 < 6 > 4", {L"5 < 6 > 4|"}},
      {L"<c nocolour>x</c>", {L"<c nocolour>x|"}},
      {L"</b>unbalanced", {L"unbalanced|"}},
  };
  for (const Case& c : cases) EXPECT_EQ(describe(c.text), c.runs) << c.text;
}

TEST(FormattedText, ColourRunsCarryTheirColour) {
  auto runs = parseFormattedText(L"<c #80112233>x</c>");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].color, 0x80112233u);
}

}  // namespace
}  // namespace DuiLib
