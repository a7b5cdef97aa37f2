// Plain text in a language written right to left. Its letters join, so a
// line's width is that of its shaped glyphs, which Uniscribe reports (GDI's
// extents count each letter on its own, and Wine's DrawText aligns by them).
// Lines are broken, measured and placed here; GDI draws each line.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/render.h"

namespace DuiLib {

// The shaped width of one line in the font selected into `dc`.
int shapedWidth(HDC dc, const std::wstring& line);

// `text` broken into lines no wider than `maxWidth` (by `width`), between
// words and at line breaks ("\r\n", "\n"); a word wider than a line keeps a
// line of its own.
std::vector<std::wstring> wrapLines(const std::wstring& text, int maxWidth,
                                    const std::function<int(const std::wstring&)>& width);

// Draws and measures a right-to-left text as drawPlainText and
// measurePlainText do, with the font already selected into the context's DC.
void drawRightToLeftText(PaintContext& context, const RECT& rect, const std::wstring& text,
                         const TextStyle& style);
SIZE measureRightToLeftText(HDC dc, const std::wstring& text, const TextStyle& style, int maxWidth);

}  // namespace DuiLib
