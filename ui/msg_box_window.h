// The generic message box: an optional icon, a title, a description and one
// or more buttons, each with its own action, and optionally an action for the
// close button. It keeps its owner disabled while open, runs no modal loop,
// and deletes itself when its window is gone. UI thread only.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/window_base.h"
#include "ui/msg_owner_lock.h"
#include "ui/msg_selection.h"

namespace msg {

class IMessageBox {
 public:
  // Shows `path` in the icon control; an empty path hides the icon and widens
  // the description to 340.
  virtual void setIcon(const std::wstring& path) = 0;
  // The title row's text, and the box's name to assistive technology.
  virtual void setTitle(const std::wstring& text) = 0;
  // The description, centred on several lines; it is also the box's key in
  // the open-box registry.
  virtual void setText(const std::wstring& text) = 0;
  // Runs when the close button is clicked; replaces an earlier one.
  virtual void setCloseAction(std::function<void()> action) = 0;
  // Adds a button in front of the button row's last spacer: buttons line up
  // left to right in the order added. Enter presses the first one drawn as
  // the main action (primary), else the first.
  virtual void addButton(const ButtonSpec& spec) = 0;
  virtual void addRemoteButton(const ButtonSpec& spec) = 0;

 protected:
  ~IMessageBox() = default;
};

class MessageBoxWindow : public DuiLib::WindowImplBase, public IMessageBox {
 public:
  // Disables `owner` until the box lets go of it.
  MessageBoxWindow(HWND owner, std::wstring skinFile);
  ~MessageBoxWindow() override;

  void setIcon(const std::wstring& path) override;
  void setTitle(const std::wstring& text) override;
  void setText(const std::wstring& text) override;
  void setCloseAction(std::function<void()> action) override;
  void addButton(const ButtonSpec& spec) override;
  void addRemoteButton(const ButtonSpec& spec) override;

  // A click on one of the buttons or on the close button closes the box
  // first, then runs the button's (or the close) action.
  void notify(DuiLib::TNotifyUI& msg) override;
  bool isDialog() const override { return true; }

 protected:
  const wchar_t* getWindowClassName() const override { return L"MessageBox"; }
  UINT getClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
  std::wstring getSkinFile() const override { return skinFile_; }
  void initWindow() override;
  void onClose(UINT result) override;
  bool onEscape() override;
  void onFinalMessage(HWND window) override;

 private:
  void insertButton(std::unique_ptr<CSelectionUI> button);
  // The buttons as they stand in the row, left to right.
  std::vector<CSelectionUI*> buttons() const;
  // Marks the button Enter presses.
  void chooseDefaultButton();
  // The close button says "Close" unless a button already does; then it says
  // the word for dismissing the box, so that a reader tells the two apart.
  void nameCloseButtonApart();

  friend IMessageBox* createMessageBoxWindow(HWND owner, const std::wstring& layout);

  OwnerLock ownerLock_;
  bool deletesItself_ = false;  // set once its window exists
  std::wstring skinFile_;
  std::wstring text_;
  std::function<void()> closeAction_;
};

// Creates a box from `layout` owned by `owner` (disabled from now on),
// centred, shown and active. Null when its window could not be made (the
// owner is then enabled again).
IMessageBox* createMessageBoxWindow(HWND owner, const std::wstring& layout);

// Registers the fonts the message boxes use in `manager`: the default and
// ids 0 to 3 in "Microsoft YaHei" at 12, 14, 16 and 18 pixels.
void registerBoxFonts(DuiLib::CPaintManagerUI& manager);

}  // namespace msg
