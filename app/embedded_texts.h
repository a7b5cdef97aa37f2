// The language table's texts that only the embedded skin may give, whatever
// a loose table beside the program says (DuiLib::keepEmbeddedTexts): the
// offer's consent labels (swapped, pressing "Reject" would install the
// partner's software) and every web address the window opens.
#pragma once
#include <string>
#include <vector>

inline std::vector<std::wstring> embeddedOnlyTexts() {
  return {L"Accept", L"Reject", L"ironsource_url"};
}
