// A read-only, multi-line text that wraps and scrolls vertically (mouse
// wheel, or dragging its thin scroll bar). Its scroll bar takes the window's
// "VScrollBar" defaults: width, thumbcolor, thumbhotcolor, trackcolor.
#pragma once
#include "toolkit/label.h"

namespace DuiLib {

class CRichEditUI : public CLabelUI {
 public:
  CRichEditUI();
  std::wstring_view getClass() const override { return L"RichEdit"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  bool isInteractive() const override { return true; }
  void setManager(CPaintManagerUI* manager, CControlUI* parent) override;
  void setText(const std::wstring& text) override;
  void doEvent(TEventUI& event) override;
  // Its whole text, which assistive technology reads as the value of a
  // read-only text box.
  bool accessibleValue(std::wstring& value) const override;

  // Scroll position in pixels from the top of the text.
  int scrollPos() const { return scroll_; }
  void setScrollPos(int pos);
  // The text's wrapped height in pixels (known after the first drawing).
  int contentHeight() const { return contentHeight_; }

 protected:
  void paintText(PaintContext& context) override;
  AccessibleRole naturalRole() const override { return AccessibleRole::EditableText; }

 private:
  friend struct RichEditAttributes;

  RECT textArea() const;
  RECT trackRect() const;
  RECT thumbRect() const;
  int maxScroll() const;
  void applyScrollBarAttribute(const std::wstring& name, const std::wstring& value);

  int scroll_ = 0;
  int contentHeight_ = 0;
  int barWidth_ = 6;
  DWORD thumbColor_ = 0x80FFFFFF;
  DWORD thumbHotColor_ = 0xC0FFFFFF;
  DWORD trackColor_ = 0;
  bool dragging_ = false;
  int dragStartY_ = 0;
  int dragStartScroll_ = 0;
};

}  // namespace DuiLib
