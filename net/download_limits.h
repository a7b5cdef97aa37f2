// Limits that both download methods share.
#pragma once
#include <windows.h>

// How long a download may receive nothing before it counts as failed. A
// transfer that still moves, however slowly, is never cut.
inline constexpr DWORD kDownloadStallLimitMs = 60000;

// Whether a progress report of either download method may go out at tick
// `now` when the last one went out at `lastTick`: more than a second later.
// The difference is compared, so the rule holds across the wrap of the
// 32-bit tick count (every 49.7 days).
inline bool progressReportDue(DWORD now, DWORD lastTick) { return now - lastTick > 1000; }

// Redirects a download follows in a row; one more fails it.
inline constexpr int kMaxDownloadRedirects = 5;

// How often one source asks again for the rest of a broken transfer, and the
// wait before the first of those requests (doubled before each later one).
inline constexpr int kMaxDownloadResumes = 3;
inline constexpr DWORD kFirstResumeBackoffMs = 1000;

// The limits of one download. The product uses the defaults; tests pass
// shorter waits.
struct DownloadLimits {
  DWORD stallMs = kDownloadStallLimitMs;
  int maxResumes = kMaxDownloadResumes;
  DWORD firstBackoffMs = kFirstResumeBackoffMs;
};

// The total the WinINet download reports when the server announced no
// length: a guess that the received count may reach and pass.
inline constexpr int kUnknownLengthExpected = 10485760;
