#include "net/curl_global.h"

#include <curl/curl.h>

#include <atomic>
#include <mutex>

namespace curl_global {
namespace {

// The running transfers, and in the top bit whether the clean-up has begun:
// one word, so that no transfer can slip in between the check and the count.
constexpr unsigned kClosing = 0x80000000u;
std::atomic<unsigned> g_state{0};
constexpr DWORD kPollMs = 10;
std::once_flag g_startUp;
std::atomic<bool> g_started{false};

}  // namespace

bool enterTransfer() {
  unsigned state = g_state.load();
  do {
    if (state & kClosing) return false;
  } while (!g_state.compare_exchange_weak(state, state + 1));
  // Counted first: the clean-up waits for a start-up under way.
  std::call_once(g_startUp, [] { g_started = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK; });
  if (g_started) return true;
  leaveTransfer();
  return false;
}

void leaveTransfer() { g_state.fetch_sub(1); }

bool cleanupWhenIdle(DWORD waitMs) {
  g_state.fetch_or(kClosing);
  DWORD start = GetTickCount();
  while (g_state.load() != kClosing) {
    if (GetTickCount() - start >= waitMs) return false;
    Sleep(kPollMs);
  }
  if (g_started) curl_global_cleanup();
  return true;
}

}  // namespace curl_global
