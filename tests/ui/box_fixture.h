// Shared set-up of the message-box tests and the box gallery: a plain owner
// window for the boxes.
#pragma once
#include <windows.h>

namespace box_testing {

// A plain visible top-level window to own boxes.
HWND createOwnerWindow(int width, int height);

}  // namespace box_testing
