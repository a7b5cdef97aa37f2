// A label that is clicked: state images (normal, hot, pushed, focused,
// disabled), state text colours, and a "click" notification. With
// "minwidthex" it widens to fit its text, never narrower than that width.
#pragma once
#include <initializer_list>

#include "toolkit/label.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();
  std::wstring_view getClass() const override { return L"Button"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  bool wantsFocus() const override { return true; }
  bool isInteractive() const override { return true; }
  SIZE estimateSize(SIZE available) override;

  void setNormalImage(const std::wstring& image);
  void setHotImage(const std::wstring& image);
  void setPushedImage(const std::wstring& image);
  void setFocusedImage(const std::wstring& image);
  void setDisabledImage(const std::wstring& image);
  const std::wstring& getNormalImage() const { return normalImage_; }
  const std::wstring& getHotImage() const { return hotImage_; }
  const std::wstring& getPushedImage() const { return pushedImage_; }
  // The button that Enter presses when no other button has the focus.
  bool isDefault() const { return default_; }
  void setDefault(bool isDefault) { default_ = isDefault; }

  // Sends "click", as a completed mouse click does.
  void click();

 protected:
  void activate() override;
  void paintStatusImage(PaintContext& context) override;
  DWORD currentTextColor() const override;
  AccessibleRole naturalRole() const override { return AccessibleRole::PushButton; }
  bool sizeFollowsText() const override { return CLabelUI::sizeFollowsText() || minWidthEx_ > 0; }
  // Draws the first available of `images` in the control; false when none drew.
  bool drawFirstImage(PaintContext& context, std::initializer_list<const std::wstring*> images);

 private:
  friend struct ButtonAttributes;

  std::wstring normalImage_;
  std::wstring hotImage_;
  std::wstring pushedImage_;
  std::wstring focusedImage_;
  std::wstring disabledImage_;
  DWORD hotTextColor_ = 0;
  DWORD pushedTextColor_ = 0;
  DWORD focusedTextColor_ = 0;
  DWORD hotBkColor_ = 0;
  int minWidthEx_ = 0;
  bool default_ = false;
};

}  // namespace DuiLib
