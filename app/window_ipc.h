// One endpoint of the window-message channel between processes on the same
// desktop: a server owns a hidden top-level window of a known class and hands
// its application-range messages to a handler; a client finds that window by
// class name and posts to it.
#pragma once
#include <windows.h>

#include <string>

namespace utility {

// Receives the messages of a server endpoint, on the thread that opened it.
class IWindowIPCHandle {
 public:
  // The endpoint ignores the result.
  virtual int onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~IWindowIPCHandle() = default;
};

class WindowIPC {
 public:
  WindowIPC() = default;
  // A server endpoint destroys its window (when called on the window's thread)
  // and always detaches from it, so the window never reaches a dead endpoint.
  // A client endpoint leaves the window it found alone.
  ~WindowIPC();
  WindowIPC(const WindowIPC&) = delete;
  WindowIPC& operator=(const WindowIPC&) = delete;

  // Server role: registers the class (an existing registration is reused) and
  // creates the hidden window; messages above WM_USER and WM_COPYDATA then reach
  // `handler` (not owned) on this thread. True when the window exists.
  bool open(const std::wstring& className, IWindowIPCHandle* handler);
  // Client role: finds a top-level window of the class (and title, unless
  // empty). True when one was found.
  bool open(const std::wstring& className, const std::wstring& windowName);
  // Posts to the window found or owned; does not wait. False without a window
  // or when PostMessageW refuses. Any thread.
  bool post(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  IWindowIPCHandle* handler_ = nullptr;
  bool server_ = false;
};

}  // namespace utility
