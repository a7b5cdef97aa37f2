// GDI+ with the headers it needs: the program builds with WIN32_LEAN_AND_MEAN
// (no property ids) and NOMINMAX (no min/max macros), both of which GDI+ uses.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
