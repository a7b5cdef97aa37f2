// Comparing names the way the file system does: ordinal, case-insensitive.
#pragma once
#include <string_view>

namespace utility {

// True when both texts are the same but for letter case, compared code unit
// by code unit without linguistic rules. Any thread.
bool sameTextIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace utility
