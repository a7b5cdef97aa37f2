#include "ui/msg_registry.h"

#include <set>

namespace msg {
namespace {

std::set<std::wstring>& openBoxes() {
  static auto* boxes = new std::set<std::wstring>();
  return *boxes;
}

}  // namespace

bool addOpenBox(const std::wstring& text) { return openBoxes().insert(text).second; }

void removeOpenBox(const std::wstring& text) { openBoxes().erase(text); }

bool isBoxOpen(const std::wstring& text) { return openBoxes().count(text) > 0; }

}  // namespace msg
