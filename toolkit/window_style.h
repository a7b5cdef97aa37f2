// What a layout says about its window as a whole: size, caption, corners,
// shadow, and the fonts and per-class default attributes it registers.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "toolkit/fonts.h"

namespace DuiLib {

struct WindowAttributes {
  SIZE size{0, 0};     // the window's first size; 0 keeps the creator's
  SIZE minSize{0, 0};  // "mininfo"
  // "caption": the drag area from `left` to (width - right) and from `top` to `bottom`.
  RECT caption{};
  SIZE roundCorner{0, 0};    // corner ellipse width and height
  std::wstring layeredImage;  // drawn under the content: the drop shadow
  DWORD accentColor = 0;      // "accentcolor": the keyboard focus's mark; 0 for the toolkit's own
};

struct WindowStyle {
  WindowAttributes window;
  FontTable fonts;
  std::map<std::wstring, std::wstring> defaults;  // class name -> attribute list
};

}  // namespace DuiLib
