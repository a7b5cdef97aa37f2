// Limits that both download methods share.
#pragma once
#include <windows.h>

// How long a download may receive nothing before it counts as failed. A
// transfer that still moves, however slowly, is never cut.
inline constexpr DWORD kDownloadStallLimitMs = 60000;

// Redirects a download follows in a row; one more fails it.
inline constexpr int kMaxDownloadRedirects = 5;

// The total the WinINet download reports when the server announced no
// length: a guess that the received count may reach and pass.
inline constexpr int kUnknownLengthExpected = 10485760;
