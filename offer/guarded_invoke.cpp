#include "offer/guarded_invoke.h"

#include <windows.h>

// The guard itself, in assembly: 1 when the library returned, 0 when an
// exception ended the call.
extern "C" int vorlane_guarded_invoke(void* entry, int function, const wchar_t* argument,
                                      int* answer);

#ifdef _WIN64
// Which exceptions raised inside the library end in the guard (64-bit).
// This program's own C++ runtime unwinds its exceptions by itself, and has
// already chosen the catch they go to (the wrapper's) before it raises them:
// those pass on. Everything else ends here.
extern "C" LONG vorlane_guard_filter(EXCEPTION_POINTERS* pointers, void*) {
  DWORD code = pointers->ExceptionRecord->ExceptionCode;
  // STATUS_GCC_THROW, STATUS_GCC_UNWIND, STATUS_GCC_FORCED: "GCC" and 0x20-0x22.
  bool ownRuntime = (code & 0x00FFFFFF) == 0x474343 && (code >> 24) >= 0x20 && (code >> 24) <= 0x22;
  return ownRuntime ? EXCEPTION_CONTINUE_SEARCH : EXCEPTION_EXECUTE_HANDLER;
}
#endif

namespace offer {

bool invokeGuarded(InvokeW entry, int function, const wchar_t* argument, int* answer) {
  return vorlane_guarded_invoke(reinterpret_cast<void*>(entry), function, argument, answer) != 0;
}

}  // namespace offer
