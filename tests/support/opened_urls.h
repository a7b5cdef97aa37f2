// The web pages a test's program opens. Wine hands every address that the
// shell opens to winebrowser, which runs the browsers its registry lists;
// while an OpenedUrls lives, the only "browser" there writes the address
// down (tests/support/record_url.sh.in), so no browser starts.
#pragma once
#include <string>
#include <vector>

namespace testing_support {

class OpenedUrls {
 public:
  // Installs the recording browser and forgets what it recorded before.
  OpenedUrls();
  // The addresses opened so far, oldest first. Opening is asynchronous:
  // waits up to `timeoutMs` for at least `atLeast` of them.
  std::vector<std::string> list(size_t atLeast = 0, unsigned timeoutMs = 5000) const;
};

}  // namespace testing_support
