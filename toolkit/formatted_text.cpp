#include "toolkit/formatted_text.h"

#include <memory>

#include "toolkit/attribute_values.h"

namespace DuiLib {
namespace {

struct RunState {
  int bold = 0;
  int underline = 0;
  int italic = 0;
  std::vector<DWORD> colors;
  std::vector<int> fonts;
};

// Applies one tag body ("b", "/c", "c #FF0000", ...); false when it is not ours.
bool applyTag(const std::wstring& tag, RunState& state) {
  auto counter = [&](int& depth, bool closing) {
    if (closing) {
      if (depth > 0) --depth;
    } else {
      ++depth;
    }
    return true;
  };
  bool closing = !tag.empty() && tag[0] == L'/';
  std::wstring name = closing ? tag.substr(1) : tag;
  std::wstring argument;
  size_t space = name.find(L' ');
  if (space != std::wstring::npos) {
    argument = name.substr(space + 1);
    name.resize(space);
  }
  if (name == L"b") return counter(state.bold, closing);
  if (name == L"u") return counter(state.underline, closing);
  if (name == L"i") return counter(state.italic, closing);
  if (name == L"c") {
    if (closing) {
      if (!state.colors.empty()) state.colors.pop_back();
      return true;
    }
    DWORD color = 0;
    if (!parseColor(argument, color)) return false;
    state.colors.push_back(color);
    return true;
  }
  if (name == L"f") {
    if (closing) {
      if (!state.fonts.empty()) state.fonts.pop_back();
      return true;
    }
    state.fonts.push_back(parseInt(argument));
    return true;
  }
  return false;
}

TextRun runFor(const RunState& state) {
  TextRun run;
  run.bold = state.bold > 0;
  run.underline = state.underline > 0;
  run.italic = state.italic > 0;
  run.hasColor = !state.colors.empty();
  run.color = run.hasColor ? state.colors.back() : 0;
  run.fontId = state.fonts.empty() ? -1 : state.fonts.back();
  return run;
}

bool sameStyle(const TextRun& a, const TextRun& b) {
  return a.bold == b.bold && a.underline == b.underline && a.italic == b.italic && a.hasColor == b.hasColor &&
         a.color == b.color && a.fontId == b.fontId;
}

// Characters of scripts written without spaces: a line may break after any.
bool breaksAnywhere(wchar_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

// One unbreakable piece of a line, measured in its run's font.
struct Piece {
  const TextRun* run;
  std::wstring text;
  int width = 0;
  bool space = false;  // trailing blanks vanish at a line end
};

struct Line {
  std::vector<Piece> pieces;
  int width = 0;
  int height = 0;
};

class FormattedLayout {
 public:
  FormattedLayout(HDC dc, int scale, const TextStyle& style) : dc_(dc), scale_(scale), style_(style) {}
  ~FormattedLayout() {
    if (oldFont_) SelectObject(dc_, oldFont_);
  }

  std::vector<Line> layout(const std::vector<TextRun>& runs, int maxWidth) {
    std::vector<Line> lines(1);
    for (const TextRun& run : runs) {
      if (run.lineBreak) {
        finishLine(lines.back(), run);
        lines.emplace_back();
        continue;
      }
      for (Piece& piece : split(run, maxWidth)) {
        Line& line = lines.back();
        if (style_.multiline && !piece.space && line.width > 0 && line.width + piece.width > maxWidth) {
          trimTrailingSpace(line);
          lines.emplace_back();
        }
        if (piece.space && lines.back().pieces.empty() && lines.size() > 1) continue;
        Line& target = lines.back();
        target.width += piece.width;
        target.height = std::max(target.height, lineHeight(run));
        target.pieces.push_back(std::move(piece));
      }
    }
    if (!runs.empty()) finishLine(lines.back(), runs.back());
    return lines;
  }

  void select(const TextRun& run) {
    FontSpec spec = style_.fonts->get(run.fontId >= 0 ? run.fontId : style_.fontId);
    spec.bold = spec.bold || run.bold;
    spec.underline = spec.underline || run.underline;
    spec.italic = spec.italic || run.italic;
    HGDIOBJ previous = SelectObject(dc_, gdiFont(spec, scale_));
    if (!oldFont_) oldFont_ = previous;
  }

 private:
  std::vector<Piece> split(const TextRun& run, int maxWidth) {
    select(run);
    std::vector<Piece> pieces;
    std::wstring text = run.text;
    if (style_.multiline)
      text = breakOverlongJoins(text, maxWidth,
                                [this](const std::wstring& piece) { return measure(piece); });
    size_t start = 0;
    while (start < text.size()) {
      size_t end = start + 1;
      bool space = text[start] == L' ';
      if (space) {
        while (end < text.size() && text[end] == L' ') ++end;
      } else if (!breaksAnywhere(text[start])) {
        while (end < text.size() && text[end] != L' ' && !breaksAnywhere(text[end])) ++end;
      }
      Piece piece{&run, text.substr(start, end - start), 0, space};
      piece.width = measure(piece.text);
      pieces.push_back(std::move(piece));
      start = end;
    }
    return pieces;
  }

  // The width of `text` in the font selected now.
  int measure(const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  int lineHeight(const TextRun& run) {
    select(run);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    return metrics.tmHeight;
  }

  void finishLine(Line& line, const TextRun& run) {
    trimTrailingSpace(line);
    if (line.height == 0) line.height = lineHeight(run);
  }

  static void trimTrailingSpace(Line& line) {
    while (!line.pieces.empty() && line.pieces.back().space) {
      line.width -= line.pieces.back().width;
      line.pieces.pop_back();
    }
  }

  HDC dc_;
  int scale_;
  const TextStyle& style_;
  HGDIOBJ oldFont_ = nullptr;
};

COLORREF toColorRef(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

std::vector<TextRun> parseFormattedText(const std::wstring& text) {
  std::vector<TextRun> runs;
  RunState state;
  std::wstring pending;
  auto flush = [&] {
    if (pending.empty()) return;
    TextRun run = runFor(state);
    run.text = std::move(pending);
    pending.clear();
    if (!runs.empty() && !runs.back().lineBreak && sameStyle(runs.back(), run)) {
      runs.back().text += run.text;
    } else {
      runs.push_back(std::move(run));
    }
  };
  auto lineBreak = [&] {
    flush();
    TextRun run = runFor(state);
    run.lineBreak = true;
    runs.push_back(run);
  };
  size_t pos = 0;
  while (pos < text.size()) {
    wchar_t c = text[pos];
    if (c == L'\r') {
      ++pos;
      continue;
    }
    if (c == L'\n') {
      lineBreak();
      ++pos;
      continue;
    }
    if (c == L'<') {
      size_t close = text.find(L'>', pos + 1);
      if (close != std::wstring::npos) {
        std::wstring tag = text.substr(pos + 1, close - pos - 1);
        if (tag == L"n") {
          lineBreak();
          pos = close + 1;
          continue;
        }
        RunState before = state;
        flush();
        if (applyTag(tag, state)) {
          pos = close + 1;
          continue;
        }
        state = before;
      }
    }
    pending += c;
    ++pos;
  }
  flush();
  return runs;
}

void drawFormattedText(PaintContext& context, const RECT& rect, const std::wstring& text, const TextStyle& style) {
  if (text.empty() || !style.fonts) return;
  std::vector<TextRun> runs = parseFormattedText(text);
  if (runs.empty()) return;

  // One style throughout: the system's text drawing handles wrapping and
  // right-to-left scripts best, so give it the whole text.
  bool uniform = true;
  for (const TextRun& run : runs) uniform = uniform && sameStyle(run, runs.front());
  if (uniform) {
    std::wstring plain;
    for (const TextRun& run : runs) plain += run.lineBreak ? std::wstring(L"\r\n") : run.text;
    FontTable fonts = *style.fonts;
    FontSpec spec = fonts.get(runs.front().fontId >= 0 ? runs.front().fontId : style.fontId);
    spec.bold = spec.bold || runs.front().bold;
    spec.underline = spec.underline || runs.front().underline;
    spec.italic = spec.italic || runs.front().italic;
    fonts.setDefault(spec);
    TextStyle single = style;
    single.fonts = &fonts;
    single.fontId = -1;
    if (runs.front().hasColor) single.color = runs.front().color;
    // Line breaks need the multi-line drawing even in a single-line label.
    if (runs.size() > 1) single.multiline = true;
    drawPlainText(context, rect, plain, single);
    return;
  }

  HDC dc = context.hdc;
  FormattedLayout layout(dc, context.scalePercent, style);
  std::vector<Line> lines = layout.layout(runs, rect.right - rect.left);
  int total = 0;
  for (const Line& line : lines) total += line.height;
  int y = rect.top;
  int room = (rect.bottom - rect.top) - total;
  if (room > 0 && style.valign == DT_VCENTER) y += room / 2;
  if (room > 0 && style.valign == DT_BOTTOM) y += room;

  SetBkMode(dc, TRANSPARENT);
  UINT align = style.align;
  if (isRightToLeftLanguage()) align = align == DT_LEFT ? DT_RIGHT : (align == DT_RIGHT ? DT_LEFT : align);
  for (const Line& line : lines) {
    int x = rect.left;
    int spare = (rect.right - rect.left) - line.width;
    if (align == DT_CENTER) x += spare / 2;
    if (align == DT_RIGHT) x += spare;
    for (const Piece& piece : line.pieces) {
      layout.select(*piece.run);
      SetTextColor(dc, toColorRef(piece.run->hasColor ? piece.run->color : style.color));
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      // Pieces of one line share a baseline.
      int top = y + (line.height - metrics.tmHeight);
      ExtTextOutW(dc, x, top, 0, nullptr, piece.text.c_str(), static_cast<UINT>(piece.text.size()), nullptr);
      x += piece.width;
    }
    y += line.height;
  }
}

}  // namespace DuiLib
