// How the toolkit's controls appear to assistive technology such as screen
// readers: which controls it sees, and their names, states and default
// actions. Rules over the controls as they stand; toolkit/accessible_object.h
// answers the system's questions with them. UI thread only.
#pragma once
#include <string>
#include <vector>

#include "toolkit/control.h"

namespace DuiLib {

// The role that a layout's "accrole" names ("link", "button", "none", ...);
// false for a name it does not know.
bool parseAccessibleRole(const std::wstring& text, AccessibleRole& role);
// The ROLE_SYSTEM_ constant of a role (ROLE_SYSTEM_CLIENT for none).
long systemRole(AccessibleRole role);
// Whether the role's text is the control's value (what was typed) rather
// than its name.
bool textIsValue(AccessibleRole role);

// True when assistive technology sees `control`: shown, with a role, and with
// a name where only the name gives it meaning (texts, images). The items of a
// combo box are not seen on their own.
bool isAccessible(const CControlUI& control);
// The control's text in the current language, without its formatting (not
// for controls whose text is their value), else its tooltip, else its
// "accname". A language key that the table lacks names nothing.
std::wstring accessibleName(const CControlUI& control);
// The control's STATE_SYSTEM_ bits: focused, focusable, checked, unavailable,
// invisible and the like.
long accessibleState(const CControlUI& control);
// "Press", "Jump", "Check" or "Uncheck" in the current language where the
// language table has a word for it ("action_press", ...), else in English as
// the system's own controls say it; empty when the control has no default
// action.
std::wstring defaultActionName(const CControlUI& control);
// Does what a click does to the control; false when it has no default action.
bool doDefaultAction(CControlUI& control);

// The controls below `root` (itself included) that assistive technology sees,
// in layout order.
std::vector<CControlUI*> accessibleControls(CControlUI* root);
// The control below `root` with accessible id `id`, shown or not; null when
// there is none.
CControlUI* findAccessible(CControlUI* root, long id);
// The topmost control below `root` that assistive technology sees at `point`
// (window pixels), whether or not it takes the mouse; null when none.
CControlUI* accessibleControlAt(CControlUI* root, POINT point);
// The word for a default action in the current language: the language
// table's text of `key`, else `english`.
std::wstring actionWord(const wchar_t* key, const wchar_t* english);

}  // namespace DuiLib
