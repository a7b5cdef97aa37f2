#include "toolkit/tooltip.h"

#include <commctrl.h>

namespace DuiLib {
namespace {

TOOLINFOW toolInfo(HWND owner, const std::wstring* text) {
  TOOLINFOW info{};
  // The older record size: accepted by every version of the common controls.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = owner;
  info.uId = 1;
  info.lpszText = text ? const_cast<wchar_t*>(text->c_str()) : nullptr;
  return info;
}

// The common controls (and the theme library they load) start with the first
// tooltip, not with the first window: nothing else of theirs is drawn.
void registerTooltipClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

}  // namespace

Tooltip::~Tooltip() {
  if (window_) DestroyWindow(window_);
}

void Tooltip::show(HWND owner, const std::wstring& text, POINT screenPoint) {
  if (text.empty()) return hide();
  if (!window_) {
    registerTooltipClass();
    window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return;
    TOOLINFOW info = toolInfo(owner, &text);
    SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  shown_ = text;
  TOOLINFOW info = toolInfo(owner, &shown_);
  SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(window_, TTM_TRACKPOSITION, 0, MAKELPARAM(screenPoint.x, screenPoint.y));
  SendMessageW(window_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
}

void Tooltip::hide() {
  if (!window_ || shown_.empty()) return;
  TOOLINFOW info = toolInfo(GetWindow(window_, GW_OWNER), nullptr);
  SendMessageW(window_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
  shown_.clear();
}

}  // namespace DuiLib
