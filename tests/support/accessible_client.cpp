// A client of the toolkit's accessible objects in a process of its own, as a
// screen reader is: it asks the system for a window's object
// (AccessibleObjectFromWindow) and writes what it read to a file
// (tests/support/accessible_reader.h reads it).
//
//   accessible_client OUT walk WINDOW     the window, then each child, one a line:
//                                         "ROLE\tNAME\tVALUE\tSTATE\tACTION\tLEFT TOP WIDTH HEIGHT"
//   accessible_client OUT do WINDOW NAME  the default action of the first child named NAME;
//                                         writes its result ("0x%08lX")
// WINDOW is the handle as a decimal number; texts are UTF-8. Exit code 0
// when the window's object was read.
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/support/accessible_child.h"

namespace {

using testing_support::accessibleChild;

std::wstring text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                  IAccessible* object, LONG id) {
  BSTR answer = nullptr;
  std::wstring read;
  if ((object->*get)(accessibleChild(id), &answer) == S_OK && answer) read = answer;
  SysFreeString(answer);
  // One line per object: line breaks and tabs inside a text would split it.
  for (wchar_t& c : read) {
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  }
  return read;
}

std::wstring describe(IAccessible* object, LONG id) {
  VARIANT role{}, state{};
  object->get_accRole(accessibleChild(id), &role);
  object->get_accState(accessibleChild(id), &state);
  LONG left = 0, top = 0, width = 0, height = 0;
  object->accLocation(&left, &top, &width, &height, accessibleChild(id));
  wchar_t numbers[96];
  swprintf(numbers, 96, L"%ld\t", role.vt == VT_I4 ? role.lVal : 0L);
  std::wstring line = numbers + text(&IAccessible::get_accName, object, id) + L"\t" +
                      text(&IAccessible::get_accValue, object, id);
  swprintf(numbers, 96, L"\t0x%08lX\t", state.vt == VT_I4 ? state.lVal : 0L);
  line += numbers + text(&IAccessible::get_accDefaultAction, object, id);
  swprintf(numbers, 96, L"\t%ld %ld %ld %ld\n", left, top, width, height);
  return line + numbers;
}

std::vector<LONG> children(IAccessible* object) {
  LONG count = 0;
  object->get_accChildCount(&count);
  std::vector<VARIANT> listed(static_cast<size_t>(count > 0 ? count : 0));
  LONG got = 0;
  std::vector<LONG> ids;
  if (count > 0 && SUCCEEDED(AccessibleChildren(object, 0, count, listed.data(), &got))) {
    for (LONG i = 0; i < got; ++i) {
      if (listed[i].vt == VT_I4) ids.push_back(listed[i].lVal);
      VariantClear(&listed[i]);
    }
  }
  return ids;
}

bool writeUtf8(const wchar_t* path, const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  FILE* file = _wfopen(path, L"wb");
  if (!file) return false;
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && written;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4 || FAILED(CoInitialize(nullptr))) return 2;
  auto window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_wcstoui64(argv[3], nullptr, 10)));
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      !object) {
    return 1;
  }
  std::wstring out;
  if (wcscmp(argv[2], L"walk") == 0) {
    out = describe(object, CHILDID_SELF);
    for (LONG id : children(object)) out += describe(object, id);
  } else if (wcscmp(argv[2], L"do") == 0 && argc >= 5) {
    HRESULT result = E_INVALIDARG;
    for (LONG id : children(object)) {
      if (text(&IAccessible::get_accName, object, id) == argv[4]) {
        result = object->accDoDefaultAction(accessibleChild(id));
        break;
      }
    }
    wchar_t code[16];
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    out = code;
  }
  object->Release();
  CoUninitialize();
  return writeUtf8(argv[1], out) ? 0 : 1;
}
