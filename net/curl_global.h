// libcurl's process-wide state, and the transfers that rely on it. Its
// start-up loads the TLS layer and the system's security packages, so it
// runs with the first transfer, on that transfer's thread, rather than on the
// UI thread before the window shows. Clean-up pulls the TLS layer from under
// any transfer still running, so it happens only once none runs and none can
// start any more.
#pragma once
#include <windows.h>

namespace curl_global {

// Takes a place for one transfer, starting libcurl first if this is the
// first; false once the clean-up has begun or libcurl could not start (the
// transfer must not start). Any thread.
bool enterTransfer();
// Gives the place back.
void leaveTransfer();

// Lets no new transfer start, waits at most `waitMs` for the running ones to
// end, and then runs curl_global_cleanup. When one still runs after the wait,
// the clean-up is left to the process's end; false then.
bool cleanupWhenIdle(DWORD waitMs);

// Holds a transfer's place for a scope.
class TransferPlace {
 public:
  TransferPlace() : entered_(enterTransfer()) {}
  ~TransferPlace() {
    if (entered_) leaveTransfer();
  }
  TransferPlace(const TransferPlace&) = delete;
  TransferPlace& operator=(const TransferPlace&) = delete;
  explicit operator bool() const { return entered_; }

 private:
  const bool entered_;
};

}  // namespace curl_global
