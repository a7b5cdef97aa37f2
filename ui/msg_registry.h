// The open-box registry: the description texts of the generic boxes that are
// open now. A box with the same text as an open one is not shown. UI thread.
#pragma once
#include <string>

namespace msg {

// Adds `text`; false when a box with that text is already open.
bool addOpenBox(const std::wstring& text);
void removeOpenBox(const std::wstring& text);
bool isBoxOpen(const std::wstring& text);

}  // namespace msg
