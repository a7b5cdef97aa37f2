#include "ui/msg_selection.h"

#include <utility>

namespace msg {
namespace {

const CSelectionUI::Look kPrimary = {
    L"file='common\\btn_bg_default.png' source='0,0,20,28' corner='6,6,6,6'",
    L"file='common\\btn_bg_default.png' source='20,0,40,28' corner='6,6,6,6'",
    L"file='common\\btn_bg_default.png' source='40,0,60,28' corner='6,6,6,6'", 0xFF000000};
const CSelectionUI::Look kSecondary = {
    L"file='common\\btn_bg.png' source='0,0,20,28' corner='6,6,6,6'",
    L"file='common\\btn_bg.png' source='20,0,40,28' corner='6,6,6,6'",
    L"file='common\\btn_bg.png' source='40,0,60,28' corner='6,6,6,6'", 0xFF17171A};
const CSelectionUI::Look kRemotePrimary = {
    L"file='remote\\btn_32.png' source='16,0,32,32' corner='6,6,6,6'",
    L"file='remote\\btn_32.png' source='32,0,48,32' corner='6,6,6,6'",
    L"file='remote\\btn_32.png' source='48,0,64,32' corner='6,6,6,6'", 0xFFFFFFFF};
const CSelectionUI::Look kRemoteSecondary = {
    L"file='remote\\btn_cancel.png' source='0,0,20,28' corner='6,6,6,6'",
    L"file='remote\\btn_cancel.png' source='20,0,40,28' corner='6,6,6,6'",
    L"file='remote\\btn_cancel.png' source='40,0,60,28' corner='6,6,6,6'", 0xFF17171A};

}  // namespace

CSelectionUI::CSelectionUI(ButtonSpec spec) : CSelectionUI(std::move(spec), kPrimary, kSecondary) {}

CSelectionUI::CSelectionUI(ButtonSpec spec, const Look& primary, const Look& secondary) : spec_(std::move(spec)) {
  setAttribute(L"height", L"30");
  setAttribute(L"valign", L"vcenter");
  setAttribute(L"textpadding", L"20,0,20,0");
  setAttribute(L"padding", L"10,0,10,0");
  setAttribute(L"width", L"90");
  setAttribute(L"minwidthex", L"100");
  setAttribute(L"align", L"center");
  const Look& look = spec_.primary ? primary : secondary;
  setNormalImage(look.normal);
  setHotImage(look.hot);
  setPushedImage(look.pushed);
  setTextColor(look.textColor);
  setText(spec_.text);
  // Enter presses the highlighted button when no other one has the focus.
  setDefault(spec_.primary);
}

void* CSelectionUI::getInterface(std::wstring_view name) {
  return name == L"Selection" ? this : CButtonUI::getInterface(name);
}

CSelectionUIRemote::CSelectionUIRemote(ButtonSpec spec)
    : CSelectionUI(std::move(spec), kRemotePrimary, kRemoteSecondary) {}

}  // namespace msg
