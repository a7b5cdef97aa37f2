// Small typed parsers for the values of layout attributes. Pure functions:
// malformed parts read as 0 so that a typo in a skin never stops a window.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace DuiLib {

// A decimal integer, with an optional sign; 0 when there is none.
int parseInt(const std::wstring& text);
// "true" (any case) or a non-zero number.
bool parseBool(const std::wstring& text);
// "cx,cy".
SIZE parseSize(const std::wstring& text);
// "left,top,right,bottom"; missing trailing parts are 0.
RECT parseRect(const std::wstring& text);
// "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB" into 0xAARRGGBB; false when
// the text is not one of these.
bool parseColor(const std::wstring& text, DWORD& argb);
// Splits `name="value" other='value'` into pairs, in order. Unquoted or
// unterminated values end the list.
std::vector<std::pair<std::wstring, std::wstring>> parseAttributeList(const std::wstring& text);

}  // namespace DuiLib
