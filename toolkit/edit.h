// A one-line text box. It draws its text itself and shows the system edit box
// over itself while it has the focus; losing the focus takes the typed text
// and sends "killfocus".
#pragma once
#include "toolkit/label.h"
#include "toolkit/native_edit.h"

namespace DuiLib {

class CEditUI : public CLabelUI, private NativeEditOwner {
 public:
  ~CEditUI() override;
  std::wstring_view getClass() const override { return L"Edit"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  bool wantsFocus() const override { return !readOnly_; }
  bool isInteractive() const override { return true; }
  void doEvent(TEventUI& event) override;
  void setText(const std::wstring& text) override;
  // The text, as typed so far while the system edit box is open; nothing for
  // a password.
  bool accessibleValue(std::wstring& value) const override;
  bool isReadOnly() const { return readOnly_; }
  bool isPassword() const { return password_; }

  void setNormalImage(const std::wstring& image);
  void setHotImage(const std::wstring& image);
  void setFocusedImage(const std::wstring& image);
  const std::wstring& getNormalImage() const { return normalImage_; }
  // The open system edit box, or null while the control has no focus.
  HWND nativeWindow() const;
  // Colours the system edit box (the window's WM_CTLCOLOREDIT answer).
  HBRUSH nativeColors(HDC dc);

 protected:
  void paintStatusImage(PaintContext& context) override;
  void paintText(PaintContext& context) override;
  AccessibleRole naturalRole() const override { return AccessibleRole::EditableText; }

 private:
  friend struct EditAttributes;

  void openNative();
  // Takes the typed text and closes the system edit box.
  void closeNative();
  void nativeFocusLost() override;
  void nativeDestroyed() override;

  NativeEdit* native_ = nullptr;
  HBRUSH nativeBrush_ = nullptr;
  std::wstring normalImage_;
  std::wstring hotImage_;
  std::wstring focusedImage_;
  std::wstring disabledImage_;
  std::wstring tipValue_;
  DWORD tipValueColor_ = 0xFF888888;
  DWORD nativeBkColor_ = 0xFFFFFFFF;
  int maxChars_ = 255;
  bool readOnly_ = false;
  bool password_ = false;
};

}  // namespace DuiLib
