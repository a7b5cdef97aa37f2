// Runs work on the UI thread: runnables posted once from any thread, or run on
// every tick of a timer. The one route from a worker to the windows.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>

#include "utility/runnable.h"

namespace utility {

class UiDispatcher {
 public:
  static constexpr UINT kRunMessage = 8888;

  // Creates the process-wide dispatcher on the calling thread, which becomes the
  // UI thread. Called once by the entry point; later calls return the same one.
  static UiDispatcher* create();
  // The process-wide dispatcher, or null before create().
  static UiDispatcher* instance();

  // Any thread. Takes the runnable; it runs once on the UI thread and is then
  // released. False when the message could not be posted: the runnable is
  // then not run and stays with the caller.
  bool post(uint32_t owner, Runable* runnable);
  // UI thread. Runs the runnable on every tick until killTimer; the timer id,
  // or 0 on failure (the runnable is then not taken).
  UINT_PTR setTimer(UINT intervalMs, Runable* runnable);
  // UI thread. Stops the timer and releases its runnable.
  void killTimer(UINT_PTR id);

  DWORD threadId() const { return threadId_; }
  HWND window() const { return window_; }

 private:
  UiDispatcher();
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void runPosted(uint32_t owner, Runable* runnable);
  void runTimer(UINT_PTR id);

  CRITICAL_SECTION lock_;
  DWORD threadId_;
  HWND window_ = nullptr;
  std::map<UINT_PTR, Runable*> timers_;
  int timerCounter_ = 0;
  UINT_PTR tickingTimer_ = 0;         // the timer whose runnable is running now
  Runable* tickingKilled_ = nullptr;  // its runnable, when it stopped itself
  std::map<uint32_t, int> pending_;
};

// Holds one timer of the dispatcher. UI thread only.
class UiTimer {
 public:
  UiTimer() = default;
  ~UiTimer() { stop(); }
  UiTimer(const UiTimer&) = delete;
  UiTimer& operator=(const UiTimer&) = delete;

  // Takes the runnable in every case. False when the interval is 0, the
  // runnable is missing or no timer was made. The runnable may stop its own timer.
  bool start(UINT intervalMs, Runable* runnable);
  void stop();
  bool running() const { return id_ != 0; }

 private:
  UINT_PTR id_ = 0;
};

}  // namespace utility

// Posts a callable of no arguments to the UI thread under the program's own
// owner key, for work that no object of the program owns.
template <typename F>
bool postToUi(F function) {
  constexpr uint32_t kProgramOwner = 0x55490001;
  auto* dispatcher = utility::UiDispatcher::instance();
  Runable* runnable = makeRunable(std::move(function));
  if (!dispatcher || !dispatcher->post(kProgramOwner, runnable)) {
    runnable->release();
    return false;
  }
  return true;
}
