// The tooltip of a window's controls: one system tooltip window shown at the
// mouse while it rests on a control that has a tooltip text.
#pragma once
#include <windows.h>

#include <string>

namespace DuiLib {

class Tooltip {
 public:
  Tooltip() = default;
  ~Tooltip();
  Tooltip(const Tooltip&) = delete;
  Tooltip& operator=(const Tooltip&) = delete;

  // Shows `text` near `screenPoint` for `owner`'s controls.
  void show(HWND owner, const std::wstring& text, POINT screenPoint);
  void hide();
  // The text shown now; empty while hidden.
  const std::wstring& shownText() const { return shown_; }

 private:
  HWND window_ = nullptr;
  std::wstring shown_;
};

}  // namespace DuiLib
