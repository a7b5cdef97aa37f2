// Code that Windows or a C library calls back (window procedures, thread
// entries, COM methods, libcurl's callbacks) must not let a C++ exception
// out: between it and any catch lie frames of code without unwind
// information for this program's exceptions, and on 32-bit Windows the
// unwinding ends the process there. Such a callback runs its body through
// `guarded`, which stops an exception at the boundary, logs where, and gives
// the callback's fallback answer instead.
#pragma once
#include <utility>

namespace utility {

// Logs that an exception was stopped in `callback` (a name for the log).
void noteStoppedException(const char* callback) noexcept;

template <typename Result, typename Body>
Result guarded(const char* callback, Result fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    noteStoppedException(callback);
    return fallback;
  }
}

// The same for a callback without an answer.
template <typename Body>
void guarded(const char* callback, Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    noteStoppedException(callback);
  }
}

}  // namespace utility
