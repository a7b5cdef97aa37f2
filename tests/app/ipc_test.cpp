#include <gtest/gtest.h>

#include <thread>

#include "app/app_impl.h"
#include "app/window_ipc.h"
#include "tests/app/ipc_recorder.h"
#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/process.h"

using ipc_testing::Recorder;
using testing_support::pumpUntil;

namespace {

constexpr UINT kSentinel = 0x7FFF;  // posted last: FIFO order means all before it arrived

// Runs the helper program and pumps this thread's messages until it has ended
// (it may be waiting for us to handle a sent WM_COPYDATA). Its exit code.
DWORD runPoster(const std::wstring& params) {
  HANDLE process =
      utility::process::create(testing_support::exeFolder() + L"ipc_poster.exe", params, false);
  if (!process) return (DWORD)-1;
  pumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000);
  DWORD code = (DWORD)-1;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code;
}

std::vector<std::wstring> g_logLines;
void captureLog(const char*, int, const wchar_t* message) { g_logLines.push_back(message); }

}  // namespace

TEST(WindowIPC, ServerIsHiddenTopLevelWindowFoundByClassName) {
  Recorder recorder;
  utility::WindowIPC server;
  ASSERT_TRUE(server.open(kInstanceGuid, &recorder));
  ASSERT_NE(server.window(), nullptr);
  EXPECT_FALSE(IsWindowVisible(server.window()));
  EXPECT_EQ(GetAncestor(server.window(), GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(FindWindowExW(nullptr, nullptr, kInstanceGuid, nullptr), server.window());

  utility::WindowIPC client;
  ASSERT_TRUE(client.open(kInstanceGuid, L""));
  EXPECT_EQ(client.window(), server.window());
  // A window name narrows the search: the server's title is empty.
  utility::WindowIPC named;
  EXPECT_FALSE(named.open(kInstanceGuid, L"some title"));
}

TEST(WindowIPC, OnlyMessagesAboveWmUserAndCopyDataReachTheHandlerOnItsThread) {
  Recorder recorder;
  utility::WindowIPC server;
  ASSERT_TRUE(server.open(kInstanceGuid, &recorder));
  struct Case {
    UINT message;
    bool dispatched;
  } cases[] = {
      {WM_USER - 1, false}, {WM_USER, false}, {WM_USER + 1, true}, {11124, true},
      {11125, true},        {112345, true},   {WM_APP, true},      {WM_NULL, false},
  };
  // Posted from another thread, as the package and later copies do.
  std::thread poster([&] {
    utility::WindowIPC client;
    ASSERT_TRUE(client.open(kInstanceGuid, L""));
    for (const Case& c : cases) EXPECT_TRUE(client.post(c.message, c.message + 1, -(LPARAM)c.message));
    client.post(kSentinel, 0, 0);
  });
  poster.join();
  ASSERT_TRUE(pumpUntil([&] { return recorder.count(kSentinel) == 1; }, 5000));

  for (const Case& c : cases) EXPECT_EQ(recorder.count(c.message), c.dispatched ? 1u : 0u) << c.message;
  for (const auto& r : recorder.received) {
    EXPECT_EQ(r.thread, GetCurrentThreadId());
    if (r.message == kSentinel) continue;
    EXPECT_EQ(r.wParam, (WPARAM)r.message + 1);
    EXPECT_EQ(r.lParam, -(LPARAM)r.message);
  }
}

// Data blocks, which any process may send, never reach the handler; the
// handler's own result never leaves the window.
TEST(WindowIPC, CopyDataIsNeverHandedOnAndResultIsZero) {
  Recorder recorder;
  utility::WindowIPC server;
  ASSERT_TRUE(server.open(kInstanceGuid, &recorder));
  std::wstring text = L"in-process";
  COPYDATASTRUCT data = {42, (DWORD)(text.size() * sizeof(wchar_t)), text.data()};
  EXPECT_EQ(SendMessageW(server.window(), WM_COPYDATA, 0, (LPARAM)&data), 0);
  EXPECT_EQ(SendMessageW(server.window(), WM_USER + 5, 0, 0), 0);  // the handler said 7
  EXPECT_EQ(runPoster(L"copydata 77 hello"), 0u);
  ASSERT_EQ(recorder.received.size(), 1u);
  EXPECT_EQ(recorder.received[0].message, (UINT)WM_USER + 5);
  EXPECT_EQ(recorder.count(WM_COPYDATA), 0u);
}

TEST(WindowIPC, SecondProcessesPostThroughTheClientEndpointEachMessageOnce) {
  Recorder recorder;
  utility::WindowIPC server;
  ASSERT_TRUE(server.open(kInstanceGuid, &recorder));
  EXPECT_EQ(runPoster(L"post 112345 0 0"), 0u);

  // Two clients at once, in whatever order they get there.
  std::wstring helper = testing_support::exeFolder() + L"ipc_poster.exe";
  HANDLE first = utility::process::create(helper, L"post 11124 -5 0", false);
  HANDLE second = utility::process::create(helper, L"post 11125 0 0", false);
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(pumpUntil([&] { return recorder.count(11124) + recorder.count(11125) >= 2; }, 20000));
  WaitForSingleObject(first, 10000);
  WaitForSingleObject(second, 10000);
  CloseHandle(first);
  CloseHandle(second);
  pumpUntil([] { return false; }, 200);  // anything duplicated would show up now

  EXPECT_EQ(recorder.count(112345), 1u);
  EXPECT_EQ(recorder.count(11124), 1u);
  EXPECT_EQ(recorder.count(11125), 1u);
  for (const auto& r : recorder.received) {
    if (r.message == 11124) {
      EXPECT_EQ((int)r.wParam, -5);
    }
  }
  EXPECT_EQ(recorder.received.front().message, 112345u);
}

TEST(WindowIPC, ClientWithoutServerFailsWithoutLogging) {
  g_logLines.clear();
  common::setLogSink(&captureLog);
  utility::WindowIPC client;
  bool opened = client.open(L"{no-such-window-class}", L"");
  bool posted = client.post(WM_USER + 1, 0, 0);
  common::setLogSink(nullptr);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(posted);
  EXPECT_EQ(client.window(), nullptr);
  EXPECT_TRUE(g_logLines.empty());
  EXPECT_EQ(runPoster(L"post 112345 0 0"), 1u);  // no installer window anywhere
}

TEST(WindowIPC, DroppedServerTakesItsWindowAlong) {
  HWND window = nullptr;
  {
    Recorder recorder;
    utility::WindowIPC server;
    ASSERT_TRUE(server.open(kInstanceGuid, &recorder));
    window = server.window();
  }
  EXPECT_FALSE(IsWindow(window));
  utility::WindowIPC client;
  EXPECT_FALSE(client.open(kInstanceGuid, L""));
}
