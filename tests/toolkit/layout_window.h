// A real toolkit window built from a layout string, shown on the display,
// that notes every notification it gets as "type:name". For tests of
// controls that need a window: timers, the mouse wheel, pop-up menus.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "skin/resource_map.h"
#include "tests/support/test_support.h"
#include "toolkit/window_base.h"

namespace DuiLib {

class LayoutWindow : public WindowImplBase {
 public:
  std::vector<std::wstring> events;

  // The folder the window reads its layout and images from while it lives.
  const testing_support::TempDir& skin() const { return skin_; }
  // Writes `layout` as the window's skin file and opens the window; false
  // when it could not be made.
  bool open(const std::string& layout) {
    if (!testing_support::writeFile(skin_.file(L"window.xml"), layout)) return false;
    setResourcePath(skin_.path());
    if (!create(nullptr, L"test", WS_POPUP, 0)) return false;
    showWindow(true, false);
    manager().render();
    return true;
  }
  ~LayoutWindow() override {
    if (getHWND()) DestroyWindow(getHWND());
    setResourcePath(L"");
  }
  template <class T>
  T* control(const wchar_t* name) const {
    return static_cast<T*>(findControl(name));
  }
  void notify(TNotifyUI& msg) override {
    events.push_back(msg.type + L":" + (msg.sender ? msg.sender->getName() : L""));
  }

 protected:
  const wchar_t* getWindowClassName() const override { return L"ToolkitLayoutWindow"; }
  std::wstring getSkinFile() const override { return L"window.xml"; }

 private:
  testing_support::TempDir skin_;
};

}  // namespace DuiLib
