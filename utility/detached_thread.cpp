#include "utility/detached_thread.h"

#include <process.h>
#include <windows.h>

#include <new>

#include "utility/callback_guard.h"
#include "utility/log.h"

namespace utility {
namespace {

unsigned __stdcall runAndForget(void* argument) {
  auto* work = static_cast<std::function<void()>*>(argument);
  guarded("detached thread", [work] { (*work)(); });
  delete work;
  return 0;
}

}  // namespace

bool startDetachedThread(std::function<void()> work) {
  auto* held = new (std::nothrow) std::function<void()>(std::move(work));
  if (!held) return false;
  // _beginthreadex, not CreateThread: the C runtime sets itself up for the thread.
  uintptr_t thread = _beginthreadex(nullptr, 0, &runAndForget, held, 0, nullptr);
  if (!thread) {
    LOG(L"cannot start a thread, error = %d", (int)GetLastError());
    delete held;
    return false;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}

}  // namespace utility
