#include "ui/msg_owner_lock.h"

#include <map>

namespace msg {
namespace {

std::map<HWND, int>& lockCounts() {
  static auto* counts = new std::map<HWND, int>();
  return *counts;
}

}  // namespace

OwnerLock::OwnerLock(HWND owner) : owner_(owner) {
  if (!owner_) return;
  held_ = true;
  ++lockCounts()[owner_];
  EnableWindow(owner_, FALSE);
}

void OwnerLock::release() {
  if (!held_) return;
  held_ = false;
  auto& counts = lockCounts();
  auto found = counts.find(owner_);
  if (found != counts.end() && --found->second > 0) return;
  if (found != counts.end()) counts.erase(found);
  EnableWindow(owner_, TRUE);
}

int OwnerLock::holders(HWND owner) {
  auto& counts = lockCounts();
  auto found = counts.find(owner);
  return found != counts.end() ? found->second : 0;
}

}  // namespace msg
