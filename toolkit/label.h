// A text: plain or formatted ("showhtml"), aligned in its rectangle less its
// text padding, in one of the window's fonts.
#pragma once
#include "toolkit/control.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
 public:
  CLabelUI();
  std::wstring_view getClass() const override { return L"Label"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  // With "autocalcwidth" as wide as its text needs.
  SIZE estimateSize(SIZE available) override;

  void setFont(int id);
  int getFont() const { return font_; }
  void setTextColor(DWORD argb);
  DWORD getTextColor() const { return textColor_; }
  void setDisabledTextColor(DWORD argb) { disabledTextColor_ = argb; }
  void setTextPadding(const RECT& padding);
  const RECT& getTextPadding() const { return textPadding_; }
  void setShowHtml(bool html);
  bool isShowHtml() const { return showHtml_; }
  void setMultiline(bool multiline);
  bool isMultiline() const { return multiline_; }
  UINT getTextAlign() const { return align_; }
  UINT getTextVAlign() const { return valign_; }

  // The width the resolved text needs on one line, with the text padding, in pixels.
  int measureTextWidth();

 protected:
  void paintText(PaintContext& context) override;
  // The colour for the current state; subclasses add hot and pushed colours.
  virtual DWORD currentTextColor() const;
  TextStyle textStyle(DWORD color) const;
  AccessibleRole naturalRole() const override { return AccessibleRole::StaticText; }
  bool sizeFollowsText() const override { return autoWidth_; }
  void setDefaultAlign(UINT align) { align_ = align; }

 private:
  friend struct LabelAttributes;

  int font_ = -1;
  DWORD textColor_ = 0xFF000000;
  DWORD disabledTextColor_ = 0;
  RECT textPadding_{};
  UINT align_ = DT_LEFT;
  UINT valign_ = DT_VCENTER;
  bool showHtml_ = false;
  bool multiline_ = false;
  bool endEllipsis_ = false;
  bool autoWidth_ = false;
};

}  // namespace DuiLib
