// What a control is to assistive technology such as a screen reader. A
// control class gives its natural role; a layout may set another with
// "accrole" (see toolkit/accessible.h).
#pragma once

namespace DuiLib {

enum class AccessibleRole {
  None,  // not shown to assistive technology: layouts, decoration
  Graphic,
  Animation,
  StaticText,
  PushButton,
  Link,
  CheckBox,
  RadioButton,
  EditableText,
  ProgressBar,
  ComboBox,
  Alert,  // a message the user must hear as it appears, such as an error
};

}  // namespace DuiLib
