// The VARIANT that names an accessible object's child (or CHILDID_SELF, the
// object itself) in the IAccessible calls of the tests and their client.
#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

namespace testing_support {

inline VARIANT accessibleChild(LONG id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

}  // namespace testing_support
