// A message box keeps its owner window disabled while it is open. When boxes
// stack on one owner (a box's action opens the next), the owner is enabled
// again only when the last of them lets go. UI thread only.
#pragma once
#include <windows.h>

namespace msg {

class OwnerLock {
 public:
  // Disables `owner` (nothing for null).
  explicit OwnerLock(HWND owner);
  ~OwnerLock() { release(); }
  OwnerLock(const OwnerLock&) = delete;
  OwnerLock& operator=(const OwnerLock&) = delete;

  // Lets go once; enables the owner when no other lock holds it.
  void release();
  HWND owner() const { return owner_; }
  // How many locks hold `owner` now.
  static int holders(HWND owner);

 private:
  HWND owner_;
  bool held_ = false;
};

}  // namespace msg
