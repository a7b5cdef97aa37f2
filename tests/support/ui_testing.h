// Helpers for tests that drive real toolkit windows: the staged skin (the
// layouts of skin/files and the drawn images, which vorlane_test_skin()
// copies into a "skin" folder beside the test program), finding windows,
// clicking controls, and running the message loop for a while.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/window_base.h"

namespace testing_support {

// Points the resource map at the staged skin and loads `language`'s texts.
void useStagedSkin(const wchar_t* language);

// The toolkit windows of this thread with class `className`, newest first.
std::vector<DuiLib::WindowImplBase*> windowsOfClass(const wchar_t* className);

// Clicks control `name` of `window` with the mouse; false when it is missing.
bool clickControl(DuiLib::WindowImplBase* window, const wchar_t* name);

// Runs the message loop for `ms` milliseconds; true when a quit message came.
bool pumpFor(DWORD ms);

// Saves a window's picture (a layered one with its shadow) as a PNG file,
// laid over a plain light backdrop as a compositing desktop shows it.
bool savePicture(const DuiLib::Surface& picture, const std::wstring& path);

}  // namespace testing_support
