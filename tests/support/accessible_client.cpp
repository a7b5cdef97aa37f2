// A client of accessible objects in a process of its own, as a screen reader
// is: it asks the system for a window's object (AccessibleObjectFromWindow),
// or listens to what a process announces (SetWinEventHook), and writes what it
// read or heard to a file (tests/support/accessible_reader.h reads it).
//
//   accessible_client OUT walk WINDOW     the window, then each child, one a line:
//                                         "ROLE\tNAME\tVALUE\tSTATE\tACTION\tLEFT TOP WIDTH
//                                         HEIGHT"; a child that is an object of its own is read as
//                                         itself
//   accessible_client OUT do WINDOW NAME  the default action of the first child named NAME;
//                                         writes its result ("0x%08lX")
//   accessible_client OUT point X Y       the object at screen point X, Y, as "walk" writes one
//   accessible_client OUT listen PROCESS STOP
//                                         writes "ready", then one line for each event that
//                                         process raises, read as a reader reads it at once:
//                                         "EVENT\tCLASS\tCHILD\tROLE\tNAME\tVALUE\tSTATE", until
//                                         the file STOP exists; a window that takes the keyboard
//                                         is asked which child has it (accFocus)
// WINDOW and PROCESS are decimal numbers; texts are UTF-8. Exit code 0 when
// the window's object was read (or the listening ended as asked).
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

#include "tests/support/accessible_child.h"

namespace {

using testing_support::accessibleChild;

std::wstring oneLine(std::wstring text) {
  // One line per object: line breaks and tabs inside a text would split it.
  for (wchar_t& c : text) {
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  }
  return text;
}

std::wstring text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                  IAccessible* object, LONG id) {
  BSTR answer = nullptr;
  std::wstring read;
  if ((object->*get)(accessibleChild(id), &answer) == S_OK && answer) read = answer;
  SysFreeString(answer);
  return oneLine(read);
}

LONG number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* object,
            LONG id) {
  VARIANT answer{};
  if ((object->*get)(accessibleChild(id), &answer) != S_OK || answer.vt != VT_I4) return 0;
  return answer.lVal;
}

std::wstring describe(IAccessible* object, LONG id) {
  LONG left = 0, top = 0, width = 0, height = 0;
  object->accLocation(&left, &top, &width, &height, accessibleChild(id));
  wchar_t numbers[96];
  swprintf(numbers, 96, L"%ld\t", number(&IAccessible::get_accRole, object, id));
  std::wstring line = numbers + text(&IAccessible::get_accName, object, id) + L"\t" +
                      text(&IAccessible::get_accValue, object, id);
  swprintf(numbers, 96, L"\t0x%08lX\t", number(&IAccessible::get_accState, object, id));
  line += numbers + text(&IAccessible::get_accDefaultAction, object, id);
  swprintf(numbers, 96, L"\t%ld %ld %ld %ld\n", left, top, width, height);
  return line + numbers;
}

// The children in order: a simple element by its id, an object of its own as
// the object (its reference is the caller's).
struct Child {
  LONG id = CHILDID_SELF;
  IAccessible* object = nullptr;
};

std::vector<Child> children(IAccessible* object) {
  LONG count = 0;
  object->get_accChildCount(&count);
  std::vector<VARIANT> listed(static_cast<size_t>(count > 0 ? count : 0));
  LONG got = 0;
  std::vector<Child> found;
  if (count > 0 && SUCCEEDED(AccessibleChildren(object, 0, count, listed.data(), &got))) {
    for (LONG i = 0; i < got; ++i) {
      if (listed[i].vt == VT_I4) found.push_back({listed[i].lVal, nullptr});
      IAccessible* own = nullptr;
      if (listed[i].vt == VT_DISPATCH && listed[i].pdispVal &&
          SUCCEEDED(listed[i].pdispVal->QueryInterface(__uuidof(IAccessible),
                                                       reinterpret_cast<void**>(&own))))
        found.push_back({CHILDID_SELF, own});
      VariantClear(&listed[i]);
    }
  }
  return found;
}

std::string utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

bool writeUtf8(const wchar_t* path, const std::wstring& text) {
  std::string bytes = utf8(text);
  FILE* file = _wfopen(path, L"wb");
  if (!file) return false;
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && written;
}

IAccessible* windowObject(const wchar_t* handle) {
  auto window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_wcstoui64(handle, nullptr, 10)));
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

std::wstring walk(IAccessible* object) {
  std::wstring out = describe(object, CHILDID_SELF);
  for (const Child& child : children(object)) {
    if (!child.object) {
      out += describe(object, child.id);
      continue;
    }
    out += describe(child.object, CHILDID_SELF);
    child.object->Release();
  }
  return out;
}

HRESULT doAction(IAccessible* object, const wchar_t* name) {
  HRESULT result = E_INVALIDARG;
  for (const Child& child : children(object)) {
    if (child.object) {
      child.object->Release();
    } else if (result == E_INVALIDARG &&
               text(&IAccessible::get_accName, object, child.id) == name) {
      result = object->accDoDefaultAction(accessibleChild(child.id));
    }
  }
  return result;
}

// Listening: the file events are written to as they are heard.
HANDLE g_heard = INVALID_HANDLE_VALUE;

void writeHeard(const std::wstring& line) {
  std::string bytes = utf8(line + L"\n");
  DWORD written = 0;
  WriteFile(g_heard, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

const wchar_t* eventName(DWORD event) {
  switch (event) {
    case EVENT_SYSTEM_ALERT:
      return L"alert";
    case EVENT_SYSTEM_DIALOGSTART:
      return L"dialogstart";
    case EVENT_SYSTEM_DIALOGEND:
      return L"dialogend";
    case EVENT_OBJECT_FOCUS:
      return L"focus";
    case EVENT_OBJECT_STATECHANGE:
      return L"state";
    case EVENT_OBJECT_NAMECHANGE:
      return L"name";
    case EVENT_OBJECT_VALUECHANGE:
      return L"value";
    default:
      return nullptr;
  }
}

// An event as heard, before the object it names is asked about.
struct Heard {
  DWORD event;
  HWND window;
  LONG objectId;
  LONG childId;
};
std::deque<Heard> g_pending;

// Asking an object pumps the messages sent to this thread, and with them the
// next events: they wait in line, so that the lines keep the events' order.
void CALLBACK heard(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD,
                    DWORD) {
  if (eventName(event) && (objectId == OBJID_CLIENT || objectId == OBJID_WINDOW))
    g_pending.push_back({event, window, objectId, childId});
}

// A reader asks the object an event names what it is as soon as it hears it.
void describeHeard(const Heard& one) {
  wchar_t className[64] = {};
  if (one.window) GetClassNameW(one.window, className, 64);
  IAccessible* object = nullptr;
  VARIANT child{};
  LONG heardChild = one.childId;
  std::wstring read = L"0\t\t\t0x00000000";  // the object was gone when asked
  if (SUCCEEDED(AccessibleObjectFromEvent(one.window, static_cast<DWORD>(one.objectId),
                                          static_cast<DWORD>(one.childId), &object, &child)) &&
      object) {
    LONG id = child.vt == VT_I4 ? child.lVal : CHILDID_SELF;
    // The system says a window took the keyboard; which of its children has
    // it, the window itself says.
    VARIANT focus{};
    if (one.event == EVENT_OBJECT_FOCUS && id == CHILDID_SELF &&
        object->get_accFocus(&focus) == S_OK && focus.vt == VT_I4)
      id = focus.lVal;
    VariantClear(&focus);
    heardChild = id;
    wchar_t state[16];
    swprintf(state, 16, L"0x%08lX", number(&IAccessible::get_accState, object, id));
    read = std::to_wstring(number(&IAccessible::get_accRole, object, id)) + L"\t" +
           text(&IAccessible::get_accName, object, id) + L"\t" +
           text(&IAccessible::get_accValue, object, id) + L"\t" + state;
    object->Release();
  }
  writeHeard(std::wstring(eventName(one.event)) + L"\t" + className + L"\t" +
             std::to_wstring(heardChild) + L"\t" + read);
}

void describePending() {
  static bool describing = false;
  if (describing) return;
  describing = true;
  while (!g_pending.empty()) {
    Heard one = g_pending.front();
    g_pending.pop_front();
    describeHeard(one);
  }
  describing = false;
}

int listen(const wchar_t* out, const wchar_t* process, const wchar_t* stop) {
  g_heard = CreateFileW(out, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        CREATE_ALWAYS, 0, nullptr);
  if (g_heard == INVALID_HANDLE_VALUE) return 1;
  DWORD id = static_cast<DWORD>(wcstoul(process, nullptr, 10));
  HWINEVENTHOOK system = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_DIALOGEND, nullptr,
                                         &heard, id, 0, WINEVENT_OUTOFCONTEXT);
  HWINEVENTHOOK objects = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr,
                                          &heard, id, 0, WINEVENT_OUTOFCONTEXT);
  if (!system || !objects) return 1;
  writeHeard(L"ready");
  // Never longer than a test may run, should the test not say when to stop.
  const DWORD start = GetTickCount();
  while (GetFileAttributesW(stop) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 600000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    describePending();
  }
  UnhookWinEvent(system);
  UnhookWinEvent(objects);
  CloseHandle(g_heard);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4 || FAILED(CoInitialize(nullptr))) return 2;
  int code = 1;
  if (wcscmp(argv[2], L"listen") == 0 && argc >= 5) {
    code = listen(argv[1], argv[3], argv[4]);
  } else if (wcscmp(argv[2], L"point") == 0 && argc >= 5) {
    POINT point{wcstol(argv[3], nullptr, 10), wcstol(argv[4], nullptr, 10)};
    IAccessible* object = nullptr;
    VARIANT child{};
    if (SUCCEEDED(AccessibleObjectFromPoint(point, &object, &child)) && object) {
      code = writeUtf8(argv[1], describe(object, child.vt == VT_I4 ? child.lVal : CHILDID_SELF))
                 ? 0
                 : 1;
      object->Release();
    }
  } else if (IAccessible* object = windowObject(argv[3])) {
    std::wstring out;
    if (wcscmp(argv[2], L"walk") == 0) {
      out = walk(object);
    } else if (wcscmp(argv[2], L"do") == 0 && argc >= 5) {
      wchar_t result[16];
      swprintf(result, 16, L"0x%08lX", static_cast<unsigned long>(doAction(object, argv[4])));
      out = result;
    }
    object->Release();
    code = writeUtf8(argv[1], out) ? 0 : 1;
  }
  CoUninitialize();
  return code;
}
