// Limits that both download methods share.
#pragma once
#include <windows.h>

// How long a download may receive nothing before its request counts as
// broken; also how long its connection (TCP, a proxy's tunnel, the TLS
// handshake) may take. A transfer that still moves, however slowly, is never cut.
inline constexpr DWORD kDownloadStallLimitMs = 60000;

// How long one source may go without a single new byte before it is left:
// outages are waited out, and requests that brought bytes never count.
inline constexpr DWORD kSourceNoProgressLimitMs = 120000;

// The wait before a source asks again after a request that failed; doubled
// after each one that brought nothing, up to the cap (1, 2, 4, 8, 10, 10 ... s):
// a host back from an outage is asked again within seconds.
inline constexpr DWORD kFirstRetryBackoffMs = 1000;
inline constexpr DWORD kMaxRetryBackoffMs = 10000;

// How long the download waits for the network to come back once every source
// failed for the lack of one, before it ends as a failure.
inline constexpr DWORD kNetworkWaitLimitMs = 600000;

// Whether a progress report of either download method may go out at tick
// `now` when the last one went out at `lastTick`: more than a second later.
// The difference is compared, so the rule holds across the wrap of the
// 32-bit tick count (every 49.7 days).
inline bool progressReportDue(DWORD now, DWORD lastTick) { return now - lastTick > 1000; }

// Redirects a download follows in a row; one more fails it.
inline constexpr int kMaxDownloadRedirects = 5;

// The limits of one download. The product uses the defaults; tests pass
// shorter waits.
struct DownloadLimits {
  DWORD stallMs = kDownloadStallLimitMs;
  DWORD noProgressMs = kSourceNoProgressLimitMs;
  DWORD firstBackoffMs = kFirstRetryBackoffMs;
  DWORD maxBackoffMs = kMaxRetryBackoffMs;
  DWORD networkWaitMs = kNetworkWaitLimitMs;
};

// The total the WinINet download reports when the server announced no
// length: a guess that the received count may reach and pass.
inline constexpr int kUnknownLengthExpected = 10485760;
