#include "utility/tthread.h"

#include <process.h>

#include "utility/callback_guard.h"

TThread::~TThread() {
  // Holders of the program live until the process ends; one that goes earlier
  // must not leave a thread running on a dead object.
  if (thread_) stop(INFINITE);
}

bool TThread::start(Runable* runnable) {
  if (thread_) return false;
  stopping_ = false;
  wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  runnable_ = runnable;
  thread_ = (HANDLE)_beginthreadex(nullptr, 0, &TThread::threadMain, this, 0, nullptr);
  if (!thread_) {  // the caller keeps the runnable, as for a held thread
    runnable_ = nullptr;
    CloseHandle(wake_);
    wake_ = nullptr;
    return false;
  }
  return true;
}

unsigned __stdcall TThread::threadMain(void* self) {
  Runable* runnable = static_cast<TThread*>(self)->runnable_;
  utility::guarded("TThread::threadMain", [runnable] { runnable->run(); });
  return 0;
}

void TThread::signal() {
  stopping_ = true;
  if (wake_) SetEvent(wake_);
}

bool TThread::isRunning() const {
  return thread_ && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT;
}

void TThread::stop(DWORD milliseconds) {
  if (thread_) {
    if (WaitForSingleObject(thread_, milliseconds) == WAIT_TIMEOUT)
      TerminateThread(thread_, 0xFFFFFFFF);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  Runable::release(runnable_);
  runnable_ = nullptr;
  if (wake_) CloseHandle(wake_);
  wake_ = nullptr;
  stopping_ = false;
}
