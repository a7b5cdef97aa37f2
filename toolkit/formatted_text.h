// Formatted ("HTML-like") text: <b>, <u>, <i>, <c #RRGGBB> colour runs and
// <f id> font runs, each closed by </b> and so on, and <n> line breaks.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/render.h"

namespace DuiLib {

struct TextRun {
  std::wstring text;  // empty for a line break
  bool lineBreak = false;
  bool bold = false;
  bool underline = false;
  bool italic = false;
  bool hasColor = false;
  DWORD color = 0;
  int fontId = -1;  // -1: the control's font
};

// Splits formatted text into runs. Newline characters break lines like <n>;
// a tag that is not recognised stays in the text as written.
std::vector<TextRun> parseFormattedText(const std::wstring& text);

// Draws formatted text (already resolved) in `rect`, wrapping lines when the
// style is multiline.
void drawFormattedText(PaintContext& context, const RECT& rect, const std::wstring& text, const TextStyle& style);

}  // namespace DuiLib
