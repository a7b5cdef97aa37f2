#include "utility/ui_dispatcher.h"

#include <atomic>

#include "utility/callback_guard.h"

namespace utility {
namespace {

std::atomic<UiDispatcher*> g_dispatcher{nullptr};

}  // namespace

UiDispatcher* UiDispatcher::create() {
  if (!g_dispatcher.load()) g_dispatcher.store(new UiDispatcher());  // lives until the process ends
  return g_dispatcher.load();
}

UiDispatcher* UiDispatcher::instance() { return g_dispatcher.load(); }

UiDispatcher::UiDispatcher() : threadId_(GetCurrentThreadId()) {
  InitializeCriticalSection(&lock_);
  window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            nullptr, nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_WNDPROC, (LONG_PTR)&UiDispatcher::windowProc);
}

bool UiDispatcher::post(uint32_t owner, Runable* runnable) {
  EnterCriticalSection(&lock_);
  ++pending_[owner];
  LeaveCriticalSection(&lock_);
  if (PostMessageW(window_, kRunMessage, (WPARAM)owner, (LPARAM)runnable)) return true;
  EnterCriticalSection(&lock_);
  --pending_[owner];
  LeaveCriticalSection(&lock_);
  return false;
}

UINT_PTR UiDispatcher::setTimer(UINT intervalMs, Runable* runnable) {
  UINT_PTR id = (UINT_PTR)++timerCounter_;
  UINT_PTR result = SetTimer(window_, id, intervalMs, nullptr);
  if (result) timers_[id] = runnable;
  return result;
}

void UiDispatcher::killTimer(UINT_PTR id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Runable* runnable = it->second;
  timers_.erase(it);
  KillTimer(window_, id);
  // A timer stopped from its own tick is released once that tick has returned.
  if (id == tickingTimer_)
    tickingKilled_ = runnable;
  else
    runnable->release();
}

void UiDispatcher::runPosted(uint32_t owner, Runable* runnable) {
  bool run = false;
  EnterCriticalSection(&lock_);
  auto it = pending_.find(owner);
  if (it != pending_.end() && it->second >= 0) {
    --it->second;
    run = true;
  }
  LeaveCriticalSection(&lock_);
  if (run) guarded("utility::UiDispatcher::runPosted", [runnable] { runnable->run(); });
  Runable::release(runnable);
}

void UiDispatcher::runTimer(UINT_PTR id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  tickingTimer_ = id;
  Runable* tick = it->second;
  guarded("utility::UiDispatcher::runTimer", [tick] { tick->run(); });
  tickingTimer_ = 0;
  Runable::release(tickingKilled_);
  tickingKilled_ = nullptr;
}

LRESULT CALLBACK UiDispatcher::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  UiDispatcher* self = g_dispatcher.load();
  if (self && message == kRunMessage) {
    self->runPosted((uint32_t)wParam, (Runable*)lParam);
    return 0;
  }
  if (self && message == WM_TIMER) {
    self->runTimer((UINT_PTR)wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool UiTimer::start(UINT intervalMs, Runable* runnable) {
  auto* dispatcher = UiDispatcher::instance();
  if (intervalMs == 0 || !runnable || !dispatcher) {
    Runable::release(runnable);
    return false;
  }
  stop();
  id_ = dispatcher->setTimer(intervalMs, runnable);
  if (id_ == 0) runnable->release();
  return id_ != 0;
}

void UiTimer::stop() {
  if (id_ == 0) return;
  UINT_PTR id = id_;
  id_ = 0;
  if (auto* dispatcher = UiDispatcher::instance()) dispatcher->killTimer(id);
}

}  // namespace utility
