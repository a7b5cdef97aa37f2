// Holds at most one worker thread running one runnable. Driven from one owner
// thread; only the stop flag and the wake event are shared with the worker.
// A holder starts once: only stop() makes it startable again.
#pragma once
#include <windows.h>

#include <atomic>

#include "utility/runnable.h"

class TThread {
 public:
  TThread() = default;
  ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // False, leaving the runnable with the caller, when a thread is already held
  // (even one that has ended). Otherwise takes the runnable and starts it.
  bool start(Runable* runnable);
  // Sets the stop flag and wakes whoever waits on the wake event.
  void signal();
  bool isStopping() const { return stopping_.load(); }
  // Waits at most `milliseconds` for the thread, then ends it by force; releases
  // the runnable. Does not signal by itself.
  void stop(DWORD milliseconds);

  // The auto-reset event signal() sets; the worker may wait on it.
  HANDLE wakeEvent() const { return wake_; }
  bool isRunning() const;
  // A thread was started and not yet stopped, running or ended.
  bool held() const { return thread_ != nullptr; }

 private:
  static unsigned __stdcall threadMain(void* self);

  Runable* runnable_ = nullptr;
  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;
  std::atomic<bool> stopping_{false};
};
