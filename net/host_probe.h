// Whether the network is there: a host that answers at all.
#pragma once
#include <windows.h>

#include <string>

// Whether the host of `url` answers a request for the address's first byte
// within `timeoutMs` (to connect, and then for the head), whatever the status,
// through the system's settings as the WinINet download goes. Blocks; any
// thread but the UI thread.
bool hostAnswers(const std::wstring& url, DWORD timeoutMs);
