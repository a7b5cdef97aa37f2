#include "toolkit/dpi.h"

#include <windows.h>

namespace DuiLib {
namespace {

int g_override = 0;

int screenPercent() {
  static int percent = 0;
  if (percent == 0) {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    percent = dpi > 0 ? MulDiv(dpi, 100, 96) : 100;
  }
  return percent;
}

}  // namespace

int dpiPercent() { return g_override > 0 ? g_override : screenPercent(); }

void setDpiPercent(int percent) { g_override = percent > 0 ? percent : 0; }

int scaleByPercent(int value, int percent) {
  if (percent == 100) return value;
  long long scaled = static_cast<long long>(value) * percent;
  return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

}  // namespace DuiLib
