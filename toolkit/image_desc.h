// What an image attribute says: a bare file name, or a list of parts such as
// "file='common\btn.png' source='0,0,20,28' corner='6,6,6,6' mask='#FFFF00FF'".
#pragma once
#include <windows.h>

#include <string>

namespace DuiLib {

struct ImageDesc {
  std::wstring file;
  bool hasSource = false;
  RECT source{};     // part of the image to draw, in image (96-DPI) pixels
  RECT corner{};     // nine-grid borders: kept unstretched, scaled only by DPI
  bool hasDest = false;
  RECT dest{};       // where in the control, in layout units; else the whole control
  bool hasMask = false;
  DWORD mask = 0;    // this colour (RGB part) is drawn transparent
  int fade = 255;    // overall opacity
};

// Parses an image attribute. Unknown parts are ignored; an empty text gives an
// empty file name.
ImageDesc parseImageDesc(const std::wstring& text);

}  // namespace DuiLib
