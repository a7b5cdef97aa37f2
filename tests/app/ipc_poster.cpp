// A second process for the IPC tests: reaches the installer's IPC window (class
// kInstanceGuid) the way other programs do.
//   ipc_poster post MESSAGE WPARAM LPARAM   client endpoint, PostMessageW
//   ipc_poster copydata TAG TEXT            WM_COPYDATA with TEXT (UTF-16, no NUL)
// Exit code: 0 delivered, 1 no window found, 2 refused, 64 bad usage.
#include <windows.h>

#include <cwchar>
#include <string>

#include "app/app_impl.h"
#include "app/window_ipc.h"

namespace {

int post(UINT message, WPARAM wParam, LPARAM lParam) {
  utility::WindowIPC client;
  if (!client.open(kInstanceGuid, L"")) return 1;
  return client.post(message, wParam, lParam) ? 0 : 2;
}

int copyData(ULONG_PTR tag, const std::wstring& text) {
  HWND window = FindWindowExW(nullptr, nullptr, kInstanceGuid, nullptr);
  if (!window) return 1;
  COPYDATASTRUCT data = {tag, (DWORD)(text.size() * sizeof(wchar_t)), (void*)text.data()};
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, (LPARAM)&data, SMTO_NORMAL, 10000, &result)
             ? 0
             : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring verb = argc > 1 ? argv[1] : L"";
  if (verb == L"post" && argc == 5)
    return post((UINT)wcstoul(argv[2], nullptr, 10), (WPARAM)wcstol(argv[3], nullptr, 10),
                (LPARAM)wcstol(argv[4], nullptr, 10));
  if (verb == L"copydata" && argc == 4) return copyData(wcstoul(argv[2], nullptr, 10), argv[3]);
  return 64;
}
