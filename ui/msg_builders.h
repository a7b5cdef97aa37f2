// One-call message boxes: an icon, a title, a text and one or two buttons,
// owned by a window that stays disabled while the box is open. Titles, texts
// and button labels arrive already translated. A request whose text an open
// box already shows does nothing. UI thread only.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "ui/msg_selection.h"

namespace msg {

// The icon image of a kind: 0, 1 and 2 the notice, 3 the success mark, any
// other kind none (an empty path).
std::wstring iconPath(int kind);

// An empty icon path picks the layout without icon.
void oneButtonBox(HWND owner, const ButtonSpec& button, const std::wstring& iconPath, const std::wstring& title,
                  const std::wstring& text);
void twoButtonBox(HWND owner, const ButtonSpec& first, const ButtonSpec& second, const std::wstring& iconPath,
                  const std::wstring& title, const std::wstring& text);
// `closeAction` runs when the user closes the box with its close button (or Escape).
void twoButtonBoxWithClose(HWND owner, const ButtonSpec& first, const ButtonSpec& second,
                           const std::wstring& iconPath, const std::wstring& title, const std::wstring& text,
                           std::function<void()> closeAction);

// The same with an icon kind (iconPath) instead of a path.
void oneButtonBox(HWND owner, const ButtonSpec& button, int iconKind, const std::wstring& title,
                  const std::wstring& text);
void twoButtonBox(HWND owner, const ButtonSpec& first, const ButtonSpec& second, int iconKind,
                  const std::wstring& title, const std::wstring& text);

// The refusal shown on systems older than Windows Vista, over `mainWindow`:
// its one button, and its close button, close the main window with code 1,
// which ends the run.
void showUnsupportedSystemBox(HWND mainWindow);
// `text` with the written marks "\r\n" and "\n" (a back-slash and a letter,
// as the language table stores them) turned into line breaks.
std::wstring withLineBreaks(std::wstring text);

}  // namespace msg
