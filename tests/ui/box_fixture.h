// Shared set-up of the message-box tests and the box gallery: the staged
// skin (layouts and drawn images beside the program), the language table, an
// owner window, and helpers to find, click and close boxes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/window_base.h"

namespace box_testing {

// Points the resource map at the staged skin and loads `language`'s texts.
void useStagedSkin(const wchar_t* language);

// A plain visible top-level window to own boxes.
HWND createOwnerWindow(int width, int height);

// The toolkit windows of this thread with class `className`, newest first.
std::vector<DuiLib::WindowImplBase*> windowsOfClass(const wchar_t* className);

// Clicks control `name` of `window` with the mouse; false when it is missing.
bool clickControl(DuiLib::WindowImplBase* window, const wchar_t* name);

// Runs the message loop for `ms` milliseconds; true when a quit message came.
bool pumpFor(DWORD ms);

}  // namespace box_testing
