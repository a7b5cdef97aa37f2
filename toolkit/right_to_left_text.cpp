#include "toolkit/right_to_left_text.h"

#include <usp10.h>

#include <algorithm>

namespace DuiLib {
namespace {

std::vector<std::wstring> linesOf(HDC dc, const std::wstring& text, const TextStyle& style,
                                  int maxWidth) {
  if (!style.multiline) return {text};
  return wrapLines(text, maxWidth,
                   [dc](const std::wstring& line) { return shapedWidth(dc, line); });
}

int lineHeight(HDC dc) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight;
}

// The reading order turns the sides round: "left" starts at the right.
UINT mirroredAlign(UINT align) {
  if (align == DT_LEFT) return DT_RIGHT;
  if (align == DT_RIGHT) return DT_LEFT;
  return align;
}

// `text` without its non-spacing marks (vowel signs and the like). They take
// no width, and Wine's shaper faults on some of them after a ligature.
std::wstring withoutMarks(const std::wstring& text) {
  std::vector<WORD> types(text.size());
  if (!GetStringTypeW(CT_CTYPE3, text.c_str(), static_cast<int>(text.size()), types.data()))
    return text;
  std::wstring spacing;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(types[i] & C3_NONSPACING)) spacing += text[i];
  }
  return spacing;
}

}  // namespace

int shapedWidth(HDC dc, const std::wstring& text) {
  std::wstring line = withoutMarks(text);
  if (line.empty()) return 0;
  int length = static_cast<int>(line.size());
  SCRIPT_STRING_ANALYSIS analysis = nullptr;
  if (SUCCEEDED(ScriptStringAnalyse(dc, line.c_str(), length, length * 3 / 2 + 16, -1,
                                    SSA_GLYPHS | SSA_FALLBACK | SSA_RTL, 0, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, &analysis))) {
    const SIZE* size = ScriptString_pSize(analysis);
    int width = size ? size->cx : 0;
    ScriptStringFree(&analysis);
    if (size) return width;
  }
  SIZE size{};
  GetTextExtentPoint32W(dc, line.c_str(), length, &size);
  return size.cx;
}

std::vector<std::wstring> wrapLines(const std::wstring& text, int maxWidth,
                                    const std::function<int(const std::wstring&)>& width) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    size_t end = std::min(text.find(L'\n', start), text.size());
    std::wstring paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == L'\r') paragraph.pop_back();
    std::wstring line;
    for (size_t word = 0; word <= paragraph.size();) {
      size_t space = std::min(paragraph.find(L' ', word), paragraph.size());
      std::wstring next = paragraph.substr(word, space - word);
      word = space + 1;
      if (next.empty()) continue;
      std::wstring longer = line.empty() ? next : line + L' ' + next;
      if (!line.empty() && width(longer) > maxWidth) {
        lines.push_back(line);
        line = next;
      } else {
        line = longer;
      }
    }
    lines.push_back(line);
    if (end == text.size()) return lines;
    start = end + 1;
  }
}

void drawRightToLeftText(PaintContext& context, const RECT& rect, const std::wstring& text,
                         const TextStyle& style) {
  HDC dc = context.hdc;
  std::vector<std::wstring> lines = linesOf(dc, text, style, rect.right - rect.left);
  int height = lineHeight(dc);
  int room = (rect.bottom - rect.top) - height * static_cast<int>(lines.size());
  int y = rect.top;
  if (style.valign == DT_VCENTER && (room > 0 || !style.multiline)) y += room / 2;
  if (style.valign == DT_BOTTOM && room > 0) y += room;
  UINT align = mirroredAlign(style.align);
  for (const std::wstring& line : lines) {
    int width = shapedWidth(dc, line);
    int x = rect.left;
    if (align == DT_RIGHT) x = rect.right - width;
    if (align == DT_CENTER) x = rect.left + ((rect.right - rect.left) - width) / 2;
    RECT target{x, y, x + width, y + height};
    DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &target,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_RTLREADING);
    y += height;
  }
}

SIZE measureRightToLeftText(HDC dc, const std::wstring& text, const TextStyle& style,
                            int maxWidth) {
  std::vector<std::wstring> lines = linesOf(dc, text, style, maxWidth);
  int width = 0;
  for (const std::wstring& line : lines) width = std::max(width, shapedWidth(dc, line));
  return {width, lineHeight(dc) * static_cast<int>(lines.size())};
}

}  // namespace DuiLib
