// The UI message loop's filter for the toolkit's windows: Tab and Shift+Tab
// move between focusable controls, Enter presses the focused or default
// button (or ends typing in an edit box), Space presses the focused button or
// ticks the focused check box, Escape acts as the close button, and Alt+F4
// typed in an edit box closes its window, not the box. Call it for every
// message before TranslateMessage/DispatchMessage.
#pragma once
#include <windows.h>

namespace DuiLib {

// True when the message was consumed and must not be dispatched.
bool preTranslateMessage(MSG* msg);

}  // namespace DuiLib
