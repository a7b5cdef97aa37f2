// The application object: starts the program on the UI thread, answers the
// window messages other processes send it, and shuts the services down.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "app/window_ipc.h"

class CAppMainFrame;

// Single-instance mutex name and the class name of the installer's IPC window.
inline constexpr wchar_t kInstanceGuid[] = L"{EE8B94A3-D811-458B-A446-AF28FA10E845}";

// What the application asks of the system before it lets the window work:
// the program asks Windows, tests answer as another system would.
struct SystemFacts {
  bool (*isVistaOrLater)();
  bool (*isNative64)();
  static SystemFacts live();
};

class CAppImpl : public utility::IWindowIPCHandle {
 public:
  // Messages the IPC window receives.
  static constexpr UINT kInstallError = 11124;
  static constexpr UINT kInstallSuccess = 11125;
  static constexpr UINT kShowYourself = 112345;

  explicit CAppImpl(SystemFacts system = SystemFacts::live());

  // False when another copy is already running (it was asked to show itself).
  bool init(HINSTANCE instance, const std::wstring& commandLine);
  // Brings the main window to the front, creating it first when there is
  // none. The first time, it also refuses Windows XP and switches 32-bit
  // Windows to variant 4.0.
  void showMainFrame();
  // UI thread. Always 0.
  int onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM lParam) override;
  // After the message loop has ended.
  void uninit();

  // The main window while it exists.
  CAppMainFrame* mainFrame() const { return m_mainFrame.lock().get(); }

 private:
  bool createMainFrame();

  utility::WindowIPC m_ipc;
  // The window deletes itself; this only tells whether it still exists.
  std::weak_ptr<CAppMainFrame> m_mainFrame;
  SystemFacts system_;
};
