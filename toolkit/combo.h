// A drop-down choice: its items are the texts of its child elements; a click
// opens the list as a pop-up menu, and a choice sends "itemselect".
#pragma once
#include "toolkit/container.h"

namespace DuiLib {

class CComboUI : public CContainerUI {
 public:
  CComboUI();
  std::wstring_view getClass() const override { return L"Combo"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  bool wantsFocus() const override { return true; }
  bool isInteractive() const override { return true; }
  // The items are not laid out or hit by the mouse: only their texts count.
  void setPos(const RECT& pos) override;
  CControlUI* findControlAt(POINT point) override;
  void paint(PaintContext& context) override;

  // The chosen item's index; -1 when none is, or when the chosen index has
  // no item (a layout's "selectedid" beyond its items, an item removed).
  int getCurSel() const { return selected_ < getCount() ? selected_ : -1; }
  // Selects item `index` (-1: none); false when out of range.
  bool selectItem(int index, bool notify = false);
  // The chosen item's text.
  bool accessibleValue(std::wstring& value) const override;

 protected:
  void activate() override;
  AccessibleRole naturalRole() const override { return AccessibleRole::ComboBox; }

 private:
  std::wstring normalImage_;
  std::wstring hotImage_;
  std::wstring pushedImage_;
  RECT textPadding_{};
  DWORD textColor_ = 0xFF000000;
  int font_ = -1;
  int selected_ = -1;
};

}  // namespace DuiLib
