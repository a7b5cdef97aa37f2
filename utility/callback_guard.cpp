#include "utility/callback_guard.h"

#include "utility/log.h"

namespace utility {

void noteStoppedException(const char* callback) noexcept {
  try {
    common::writeLog(callback, 0, L"an exception stopped at this callback");
  } catch (...) {
  }
}

}  // namespace utility
