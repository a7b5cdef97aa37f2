// Layout sizes are written for 96 DPI; windows scale them once, by the percent
// of the screen's DPI that they read when they are created.
#pragma once

namespace DuiLib {

// The scale for new windows in percent (100 at 96 DPI): the override when one
// is set, else the screen's. UI thread.
int dpiPercent();
// Forces the scale of windows created from now on; 0 returns to the screen's.
void setDpiPercent(int percent);
// `value` scaled by `percent`, rounded half away from zero.
int scaleByPercent(int value, int percent);

}  // namespace DuiLib
