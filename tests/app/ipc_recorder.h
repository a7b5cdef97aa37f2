// A handler for the IPC tests that records every message it is given, with the
// thread it ran on and, for WM_COPYDATA, the data block.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/window_ipc.h"

namespace ipc_testing {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
  ULONG_PTR copyTag = 0;
  std::wstring copyText;
};

class Recorder : public utility::IWindowIPCHandle {
 public:
  int onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM lParam) override {
    Received entry{message, wParam, lParam, GetCurrentThreadId(), 0, {}};
    if (message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      entry.copyTag = data->dwData;
      entry.copyText.assign(static_cast<const wchar_t*>(data->lpData),
                            data->cbData / sizeof(wchar_t));
    }
    received.push_back(entry);
    return 7;  // the endpoint must not pass this on
  }
  size_t count(UINT message) const {
    size_t n = 0;
    for (const Received& r : received) n += r.message == message;
    return n;
  }
  std::vector<Received> received;
};

}  // namespace ipc_testing
