// What a toolkit window tells assistive technology: the controls it shows
// (toolkit/accessible.h), each named by its accessible id, the one with the
// keyboard focus, and the one at a point. UI thread only.
#pragma once
#include "toolkit/accessible_source.h"

namespace DuiLib {

class WindowImplBase;

class ControlsAccessible final : public AccessibleSource {
 public:
  explicit ControlsAccessible(WindowImplBase& window) : window_(window) {}

  long windowRole() const override;
  std::wstring windowName() const override;
  std::vector<long> children() const override;
  bool describe(long id, AccessibleElement& element) const override;
  long focused() const override;
  bool takeFocus(long id) override;
  long childAt(POINT screen) const override;
  void doDefaultAction(long id) override;

  // The source of the toolkit window `window` (AccessibleSourceFinder).
  static AccessibleSource* of(HWND window);

 private:
  WindowImplBase& window_;
};

}  // namespace DuiLib
