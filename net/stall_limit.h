// How long a download may receive nothing before it counts as failed, for both
// download methods. A transfer that still moves, however slowly, is never cut.
#pragma once
#include <windows.h>

inline constexpr DWORD kDownloadStallLimitMs = 60000;
