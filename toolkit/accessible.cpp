#include "toolkit/accessible.h"

#include <oleacc.h>

#include "skin/language_table.h"
#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/formatted_text.h"
#include "toolkit/option.h"

namespace DuiLib {
namespace {

struct RoleName {
  const wchar_t* name;
  AccessibleRole role;
};

const RoleName kRoleNames[] = {
    {L"none", AccessibleRole::None},           {L"graphic", AccessibleRole::Graphic},
    {L"animation", AccessibleRole::Animation}, {L"text", AccessibleRole::StaticText},
    {L"button", AccessibleRole::PushButton},   {L"link", AccessibleRole::Link},
    {L"checkbox", AccessibleRole::CheckBox},   {L"radio", AccessibleRole::RadioButton},
    {L"edit", AccessibleRole::EditableText},   {L"progressbar", AccessibleRole::ProgressBar},
    {L"combobox", AccessibleRole::ComboBox},   {L"alert", AccessibleRole::Alert},
};

// A text in the current language; empty for an "@key" that the table lacks,
// which would otherwise be read out as the key.
std::wstring resolvedName(const std::wstring& raw) {
  std::wstring text = raw;
  resolveLangText(text);
  if (text.size() > 1 && text[0] == L'@' && text == raw) return L"";
  return text;
}

// The text a label shows: formatting marks left out, line breaks as spaces.
std::wstring shownText(const CControlUI& control) {
  std::wstring text = resolvedName(control.getText());
  auto* label = static_cast<CLabelUI*>(const_cast<CControlUI&>(control).getInterface(L"Label"));
  if (!label || !label->isShowHtml()) return text;
  std::wstring plain;
  for (const TextRun& run : parseFormattedText(text)) plain += run.lineBreak ? L" " : run.text;
  return plain;
}

bool isBlank(const std::wstring& text) {
  return text.find_first_not_of(L" \t\r\n") == std::wstring::npos;
}

// Meaningful only with a name: a text or picture that says nothing is left out.
bool needsName(AccessibleRole role) {
  return role == AccessibleRole::StaticText || role == AccessibleRole::Graphic ||
         role == AccessibleRole::Animation || role == AccessibleRole::Alert;
}

template <class T>
T* as(const CControlUI& control, const wchar_t* name) {
  return static_cast<T*>(const_cast<CControlUI&>(control).getInterface(name));
}

}  // namespace

bool parseAccessibleRole(const std::wstring& text, AccessibleRole& role) {
  for (const RoleName& entry : kRoleNames) {
    if (text == entry.name) {
      role = entry.role;
      return true;
    }
  }
  return false;
}

long systemRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Graphic:
      return ROLE_SYSTEM_GRAPHIC;
    case AccessibleRole::Animation:
      return ROLE_SYSTEM_ANIMATION;
    case AccessibleRole::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::Link:
      return ROLE_SYSTEM_LINK;
    case AccessibleRole::CheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case AccessibleRole::EditableText:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::ProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::ComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case AccessibleRole::Alert:
      return ROLE_SYSTEM_ALERT;
    case AccessibleRole::None:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

bool textIsValue(AccessibleRole role) {
  return role == AccessibleRole::EditableText || role == AccessibleRole::ComboBox ||
         role == AccessibleRole::ProgressBar;
}

bool isAccessible(const CControlUI& control) {
  AccessibleRole role = control.accessibleRole();
  if (role == AccessibleRole::None || !control.isVisible()) return false;
  for (CControlUI* parent = control.getParent(); parent; parent = parent->getParent()) {
    if (parent->getInterface(L"Combo")) return false;
  }
  return !needsName(role) || !isBlank(accessibleName(control));
}

std::wstring accessibleName(const CControlUI& control) {
  if (!textIsValue(control.accessibleRole())) {
    std::wstring text = shownText(control);
    if (!isBlank(text)) return text;
  }
  std::wstring tip = resolvedName(control.getToolTip());
  if (!isBlank(tip)) return tip;
  return resolvedName(control.getAccessibleName());
}

long accessibleState(const CControlUI& control) {
  long state = 0;
  AccessibleRole role = control.accessibleRole();
  if (!control.isVisible()) state |= STATE_SYSTEM_INVISIBLE;
  if (!control.isEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
  if ((control.wantsFocus() || control.takesPageFocus()) && control.isEnabled())
    state |= STATE_SYSTEM_FOCUSABLE;
  if (control.isFocused()) state |= STATE_SYSTEM_FOCUSED;
  if (control.isHot()) state |= STATE_SYSTEM_HOTTRACKED;
  if (control.isPushed()) state |= STATE_SYSTEM_PRESSED;
  if (role == AccessibleRole::Link) state |= STATE_SYSTEM_LINKED;
  if (role == AccessibleRole::StaticText || role == AccessibleRole::Alert)
    state |= STATE_SYSTEM_READONLY;
  if (auto* option = as<COptionUI>(control, L"Option"); option && option->isSelected()) {
    state |= STATE_SYSTEM_CHECKED;
  } else if (auto* button = as<CButtonUI>(control, L"Button"); button && button->isDefault()) {
    state |= STATE_SYSTEM_DEFAULT;
  }
  if (auto* edit = as<CEditUI>(control, L"Edit")) {
    if (edit->isReadOnly()) state |= STATE_SYSTEM_READONLY;
    if (edit->isPassword()) state |= STATE_SYSTEM_PROTECTED;
  }
  if (as<CControlUI>(control, L"RichEdit")) state |= STATE_SYSTEM_READONLY;
  return state;
}

std::wstring actionWord(const wchar_t* key, const wchar_t* english) {
  const std::wstring* word = findLangText(key);
  return word && !isBlank(*word) ? *word : english;
}

std::wstring defaultActionName(const CControlUI& control) {
  if (!as<CButtonUI>(control, L"Button")) return L"";
  switch (control.accessibleRole()) {
    case AccessibleRole::PushButton:
      return actionWord(L"action_press", L"Press");
    case AccessibleRole::Link:
      return actionWord(L"action_jump", L"Jump");
    case AccessibleRole::CheckBox: {
      auto* option = as<COptionUI>(control, L"Option");
      return option && option->isSelected() ? actionWord(L"action_uncheck", L"Uncheck")
                                            : actionWord(L"action_check", L"Check");
    }
    case AccessibleRole::RadioButton:
      return actionWord(L"action_check", L"Check");
    default:
      return L"";
  }
}

bool doDefaultAction(CControlUI& control) {
  if (defaultActionName(control).empty()) return false;
  static_cast<CButtonUI*>(control.getInterface(L"Button"))->click();
  return true;
}

std::vector<CControlUI*> accessibleControls(CControlUI* root) {
  std::vector<CControlUI*> seen;
  if (root) {
    root->forEach([&](CControlUI* control) {
      if (isAccessible(*control)) seen.push_back(control);
    });
  }
  return seen;
}

CControlUI* findAccessible(CControlUI* root, long id) {
  CControlUI* found = nullptr;
  if (root && id > 0) {
    root->forEach([&](CControlUI* control) {
      if (!found && control->accessibleId() == id) found = control;
    });
  }
  return found;
}

CControlUI* accessibleControlAt(CControlUI* root, POINT point) {
  // Later controls are drawn over earlier ones, and children over their parent.
  CControlUI* found = nullptr;
  if (root) {
    root->forEach([&](CControlUI* control) {
      RECT place = control->getPos();
      if (PtInRect(&place, point) && isAccessible(*control)) found = control;
    });
  }
  return found;
}

}  // namespace DuiLib
