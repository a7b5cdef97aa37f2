// The buttons of the generic message boxes: each owns its description (text,
// action, style) and answers the interface name "Selection", so a box can
// tell its buttons from its other controls.
#pragma once
#include <functional>
#include <string>

#include "toolkit/button.h"

namespace msg {

struct ButtonSpec {
  std::wstring text;
  std::function<void()> action;  // may be empty: the button only closes the box
  bool primary = false;          // the highlighted (yellow) style
};

class CSelectionUI : public DuiLib::CButtonUI {
 public:
  // The images and text colour of one style.
  struct Look {
    const wchar_t* normal;
    const wchar_t* hot;
    const wchar_t* pushed;
    DWORD textColor;
  };

  explicit CSelectionUI(ButtonSpec spec);
  void* getInterface(std::wstring_view name) override;
  const ButtonSpec& spec() const { return spec_; }

 protected:
  CSelectionUI(ButtonSpec spec, const Look& primary, const Look& secondary);

 private:
  ButtonSpec spec_;
};

// The same button with the images of the "remote" set.
class CSelectionUIRemote : public CSelectionUI {
 public:
  explicit CSelectionUIRemote(ButtonSpec spec);
};

}  // namespace msg
