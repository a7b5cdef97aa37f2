// The few kernel32 and ws2_32 functions that libcurl and the threads runtime
// import but Windows XP lacks: SRW locks, InitializeCriticalSectionEx,
// GetTickCount64, inet_ntop and inet_pton. The program must load on XP to
// refuse it with its own message, so those imports are delay-loaded
// (cmake/delay_load.cmake) and bound at their first call; where the system
// has no such function, the delay-load helper's failure hook hands out a
// stand-in built on what XP has. Any thread.
#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace utility::late_imports {

// The stand-in for `function` of `dll` (names as the import table has them,
// the DLL's in any case); null for any other function.
FARPROC standIn(const char* dll, const char* function);

// The stand-ins themselves, callable on any system (the tests compare them
// with the system's own functions).
ULONGLONG WINAPI tickCount64();
void WINAPI acquireSrwLockExclusive(PSRWLOCK lock);
void WINAPI releaseSrwLockExclusive(PSRWLOCK lock);
BOOL WINAPI initializeCriticalSectionEx(LPCRITICAL_SECTION section, DWORD spinCount, DWORD flags);
INT WSAAPI inetPton(INT family, PCSTR text, PVOID address);
PCSTR WSAAPI inetNtop(INT family, const VOID* address, PSTR buffer, size_t size);

// GetTickCount's 32 bits carried on in 64: `state` is the last 64-bit count
// given out (0 before the first), `now` the 32-bit count just read. A thread
// that read an older count than another already gave out gets its own,
// slightly earlier, value and leaves `state` alone.
uint64_t extendTickCount(std::atomic<uint64_t>& state, DWORD now);

}  // namespace utility::late_imports
