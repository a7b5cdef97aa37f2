// The application object: starts the program on the UI thread, answers the
// window messages other processes send it, and shuts the services down.
#pragma once
#include <windows.h>

#include <string>

#include "app/window_ipc.h"

// Single-instance mutex name and the class name of the installer's IPC window.
inline constexpr wchar_t kInstanceGuid[] = L"{EE8B94A3-D811-458B-A446-AF28FA10E845}";

class CAppImpl : public utility::IWindowIPCHandle {
 public:
  // Messages the IPC window receives.
  static constexpr UINT kInstallError = 11124;
  static constexpr UINT kInstallSuccess = 11125;
  static constexpr UINT kShowYourself = 112345;

  // False when another copy is already running (it was asked to show itself).
  bool init(HINSTANCE instance, const std::wstring& commandLine);
  // Creates the main window when needed, brings it to the front and applies the
  // operating-system checks.
  void showMainFrame();
  // UI thread. Always 0.
  int onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM lParam) override;
  // After the message loop has ended.
  void uninit();

 private:
  utility::WindowIPC m_ipc;
};
