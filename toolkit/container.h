// Controls that hold controls. A container owns its children, places them in
// setPos and draws them after itself. "Container" stacks every child over its
// whole inner area; the vertical and horizontal layouts line them up. For a
// language written right to left every placement is mirrored: what a layout
// puts at the left appears at the right.
#pragma once
#include <memory>
#include <vector>

#include "toolkit/control.h"

namespace DuiLib {

class CContainerUI : public CControlUI {
 public:
  std::wstring_view getClass() const override { return L"Container"; }
  void* getInterface(std::wstring_view name) override;

  int getCount() const { return static_cast<int>(children_.size()); }
  CControlUI* getItemAt(int index) const;
  int getItemIndex(const CControlUI* control) const;
  // Appends `control`; returns it.
  CControlUI* add(std::unique_ptr<CControlUI> control);
  // Inserts `control` before the child at `index` (index == count appends).
  // Null, and the control is destroyed, when the index is out of range.
  virtual CControlUI* addAt(std::unique_ptr<CControlUI> control, int index);
  // Removes and destroys `control`; false when it is not a child.
  bool remove(CControlUI* control);
  void removeAll();

  // Inner padding (left, top, right, bottom) and the gap between children, in layout units.
  void setInset(const RECT& inset);
  const RECT& getInset() const { return inset_; }
  void setChildPadding(int padding);
  int getChildPadding() const { return childPadding_; }

  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  void setManager(CPaintManagerUI* manager, CControlUI* parent) override;
  CControlUI* findControl(std::wstring_view name) override;
  CControlUI* findControlAt(POINT point) override;
  void forEach(const std::function<void(CControlUI*)>& visit) override;
  void setPos(const RECT& pos) override;
  void paint(PaintContext& context) override;

 protected:
  // A layout is no more than its children to assistive technology.
  AccessibleRole naturalRole() const override { return AccessibleRole::None; }
  // The area left for children: the position less the inset.
  RECT innerRect() const;
  // Places a floating child at its own position inside this container.
  void placeFloat(CControlUI* child);
  // Lines the visible children up along one axis; children of no fixed
  // length share what the fixed ones leave.
  void layoutLine(bool horizontal);
  void paintChildren(PaintContext& context);

  std::vector<std::unique_ptr<CControlUI>> children_;

 private:
  friend struct ContainerAttributes;

  RECT inset_{};
  int childPadding_ = 0;
  UINT childAlign_ = DT_LEFT;   // across a vertical line, along a horizontal one
  UINT childVAlign_ = DT_TOP;   // along a vertical line, across a horizontal one
};

class CVerticalLayoutUI : public CContainerUI {
 public:
  std::wstring_view getClass() const override { return L"VerticalLayout"; }
  void* getInterface(std::wstring_view name) override;
  void setPos(const RECT& pos) override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  std::wstring_view getClass() const override { return L"HorizontalLayout"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  // With "autocalcwidth" as wide as its children need.
  SIZE estimateSize(SIZE available) override;
  void setPos(const RECT& pos) override;

 private:
  bool autoWidth_ = false;
};

// Shows one child at a time, chosen by index.
class CTabLayoutUI : public CContainerUI {
 public:
  std::wstring_view getClass() const override { return L"TabLayout"; }
  void* getInterface(std::wstring_view name) override;
  int getCurSel() const { return selected_; }
  // Shows child `index` and hides the others; false when out of range. When
  // the focus was on the page that goes, or nowhere, it moves to the new
  // page's control that takes the page's focus ("pagefocus"), if any.
  bool selectItem(int index);
  CControlUI* addAt(std::unique_ptr<CControlUI> control, int index) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  void showSelected();

  int selected_ = 0;
};

}  // namespace DuiLib
