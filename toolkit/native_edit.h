// The system edit box that a CEditUI shows while it has the focus: a
// borderless pop-up owned by the window, since a layered window cannot show
// child windows. It deletes itself when its window is destroyed.
#pragma once
#include <windows.h>

#include <string>

namespace DuiLib {

class NamedAccessible;

class NativeEditOwner {
 public:
  // The edit box lost the keyboard focus (the user clicked elsewhere).
  virtual void nativeFocusLost() = 0;
  // The edit box's window is gone (with its owner window); forget it.
  virtual void nativeDestroyed() = 0;

 protected:
  ~NativeEditOwner() = default;
};

struct NativeEditOptions {
  HFONT font = nullptr;
  // What a reader calls the box: the edit control's name, as the box shows
  // no label of its own.
  std::wstring accessibleName;
  bool password = false;
  bool readOnly = false;
  int maxChars = 0;  // 0: no limit
};

class NativeEdit {
 public:
  // Shows an edit box at `screenRect` over `ownerWindow` with the focus and
  // the caret after the text. Null when the window could not be made.
  static NativeEdit* open(NativeEditOwner* owner, HWND ownerWindow, const RECT& screenRect,
                          const std::wstring& text, const NativeEditOptions& options);
  std::wstring text() const;
  HWND window() const { return window_; }
  // Forgets the owner and destroys the window; safe from inside its messages.
  void close();
  // Whether `window` is one of these edit boxes.
  static bool isEditBox(HWND window);

 private:
  NativeEdit(NativeEditOwner* owner, HWND window, std::wstring accessibleName);
  ~NativeEdit();
  static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The answer to WM_GETOBJECT: the system's object, with our name.
  LRESULT answerAccessible(WPARAM wParam, LPARAM lParam);

  NativeEditOwner* owner_;
  HWND window_;
  WNDPROC systemProc_ = nullptr;
  std::wstring accessibleName_;
  NamedAccessible* accessible_ = nullptr;  // made at the first question
};

}  // namespace DuiLib
