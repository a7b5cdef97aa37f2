// Each control class lists its attributes in one table: name -> a small
// function that parses the value and applies it. A class tries its own table,
// then its base class's setAttribute.
#pragma once
#include <cstddef>
#include <string>

namespace DuiLib {

template <class Control>
struct AttributeRule {
  const wchar_t* name;
  void (*apply)(Control& control, const std::wstring& value);
};

// Applies the rule named `name`; false when the table has none.
template <class Control, size_t N>
bool applyAttributeRule(Control& control, const AttributeRule<Control> (&rules)[N], const std::wstring& name,
                        const std::wstring& value) {
  for (const AttributeRule<Control>& rule : rules) {
    if (name == rule.name) {
      rule.apply(control, value);
      return true;
    }
  }
  return false;
}

}  // namespace DuiLib
