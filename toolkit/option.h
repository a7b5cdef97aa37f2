// A button with a selected state: a check box, or a radio button when it has
// a group (selecting one clears the others of the group in the window).
// Changing the state sends "selectchanged".
#pragma once
#include "toolkit/button.h"

namespace DuiLib {

class COptionUI : public CButtonUI {
 public:
  ~COptionUI() override;
  std::wstring_view getClass() const override { return L"Option"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  void setManager(CPaintManagerUI* manager, CControlUI* parent) override;

  bool isSelected() const { return selected_; }
  // Sets the state; a change sends "selectchanged" when `notify`.
  void selected(bool selected, bool notify = true);
  const std::wstring& getGroup() const { return group_; }
  void setGroup(const std::wstring& group);

 protected:
  void activate() override;
  void paintStatusImage(PaintContext& context) override;
  DWORD currentTextColor() const override;
  AccessibleRole naturalRole() const override;

 private:
  friend struct OptionAttributes;

  bool selected_ = false;
  std::wstring group_;
  std::wstring selectedImage_;
  std::wstring selectedHotImage_;
  std::wstring selectedPushedImage_;
  std::wstring foreImage_;
  DWORD selectedTextColor_ = 0;
  DWORD selectedBkColor_ = 0;
};

}  // namespace DuiLib
