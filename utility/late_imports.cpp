// Built into the object every program takes whole (utility/CMakeLists.txt),
// beside the delay-load hook of system_library.cpp: the failure hook must be
// there wherever the late-bound imports are.
#include "utility/late_imports.h"

#include <delayimp.h>

#include <cstring>

namespace utility::late_imports {
namespace {

struct StandIn {
  const char* dll;
  const char* function;
  FARPROC address;
};

template <typename Function>
FARPROC asFarProc(Function function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

// Strict dotted decimal, as inet_pton reads IPv4: four numbers of one to
// three digits, none above 255.
bool parseDottedQuad(const char* text, uint8_t bytes[4]) {
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *text++ != '.') return false;
    int value = 0, digits = 0;
    for (; *text >= '0' && *text <= '9' && digits < 4; ++text, ++digits) value = value * 10 + (*text - '0');
    if (digits == 0 || digits > 3 || value > 255) return false;
    bytes[part] = static_cast<uint8_t>(value);
  }
  return *text == '\0';
}

}  // namespace

uint64_t extendTickCount(std::atomic<uint64_t>& state, DWORD now) {
  // A reading up to this far behind the last count given out is an older
  // one; anything else is time gone by (the 32-bit count wraps).
  constexpr uint32_t kLateReading = 60 * 1000;
  uint64_t last = state.load();
  for (;;) {
    const uint32_t forward = now - static_cast<uint32_t>(last);
    if (last != 0 && forward != 0 && forward > 0u - kLateReading) return last - (0u - forward);
    const uint64_t next = last == 0 ? now : last + forward;
    if (state.compare_exchange_weak(last, next)) return next;
  }
}

ULONGLONG WINAPI tickCount64() {
  static std::atomic<uint64_t> state{0};
  return extendTickCount(state, GetTickCount());
}

// An exclusive-only lock in the SRWLOCK's one pointer, which SRWLOCK_INIT
// (all the callers use) zeroes: the lock is held while it is not null.
void WINAPI acquireSrwLockExclusive(PSRWLOCK lock) {
  for (int spins = 0; InterlockedCompareExchangePointer(&lock->Ptr, lock, nullptr) != nullptr; ++spins) {
    Sleep(spins < 64 ? 0 : 1);
  }
}

void WINAPI releaseSrwLockExclusive(PSRWLOCK lock) { InterlockedExchangePointer(&lock->Ptr, nullptr); }

// The flags only ask that the section carry no debugging record.
BOOL WINAPI initializeCriticalSectionEx(LPCRITICAL_SECTION section, DWORD spinCount, DWORD) {
  return InitializeCriticalSectionAndSpinCount(section, spinCount);
}

INT WSAAPI inetPton(INT family, PCSTR text, PVOID address) {
  if (!text || !address) return 0;
  if (family == AF_INET) {
    uint8_t bytes[4];
    if (!parseDottedQuad(text, bytes)) return 0;
    memcpy(address, bytes, sizeof(bytes));
    return 1;
  }
  if (family != AF_INET6) {
    WSASetLastError(WSAEAFNOSUPPORT);
    return -1;
  }
  // The address alone: WSAStringToAddressA would also take a port and a scope.
  char copy[INET6_ADDRSTRLEN] = {};
  const size_t length = strlen(text);
  if (length == 0 || length >= sizeof(copy) || strpbrk(text, "[]%")) return 0;
  memcpy(copy, text, length);
  sockaddr_in6 socket{};
  INT size = sizeof(socket);
  if (WSAStringToAddressA(copy, AF_INET6, nullptr, reinterpret_cast<LPSOCKADDR>(&socket), &size) != 0) return 0;
  memcpy(address, &socket.sin6_addr, sizeof(socket.sin6_addr));
  return 1;
}

PCSTR WSAAPI inetNtop(INT family, const VOID* address, PSTR buffer, size_t size) {
  sockaddr_storage socket{};
  DWORD length = 0;
  if (family == AF_INET) {
    auto& v4 = reinterpret_cast<sockaddr_in&>(socket);
    v4.sin_family = AF_INET;
    memcpy(&v4.sin_addr, address, sizeof(v4.sin_addr));
    length = sizeof(v4);
  } else if (family == AF_INET6) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(socket);
    v6.sin6_family = AF_INET6;
    memcpy(&v6.sin6_addr, address, sizeof(v6.sin6_addr));
    length = sizeof(v6);
  } else {
    WSASetLastError(WSAEAFNOSUPPORT);
    return nullptr;
  }
  DWORD room = size > 0xFFFF ? 0xFFFF : static_cast<DWORD>(size);
  if (WSAAddressToStringA(reinterpret_cast<LPSOCKADDR>(&socket), length, nullptr, buffer, &room) != 0) {
    return nullptr;
  }
  return buffer;
}

FARPROC standIn(const char* dll, const char* function) {
  static const StandIn kStandIns[] = {
      {"kernel32.dll", "GetTickCount64", asFarProc(&tickCount64)},
      {"kernel32.dll", "AcquireSRWLockExclusive", asFarProc(&acquireSrwLockExclusive)},
      {"kernel32.dll", "ReleaseSRWLockExclusive", asFarProc(&releaseSrwLockExclusive)},
      {"kernel32.dll", "InitializeCriticalSectionEx", asFarProc(&initializeCriticalSectionEx)},
      {"ws2_32.dll", "inet_pton", asFarProc(&inetPton)},
      {"ws2_32.dll", "inet_ntop", asFarProc(&inetNtop)},
  };
  if (!dll || !function) return nullptr;
  for (const StandIn& standIn : kStandIns) {
    if (_stricmp(dll, standIn.dll) == 0 && strcmp(function, standIn.function) == 0) return standIn.address;
  }
  return nullptr;
}

namespace {

// Asked by the delay-load helper when a DLL lacks a function the program
// calls: the stand-in where there is one, else null (the helper then raises
// its exception, as it always has). No exception may leave it.
FARPROC WINAPI standInForMissingFunction(unsigned notification, PDelayLoadInfo info) noexcept {
  if (notification != dliFailGetProc || !info || !info->dlp.fImportByName) return nullptr;
  return standIn(info->szDll, info->dlp.szProcName);
}

}  // namespace
}  // namespace utility::late_imports

// The MinGW runtime's delay-load helper calls this when it cannot bind an
// import (delayimp.h declares it with C linkage).
PfnDliHook __pfnDliFailureHook2 = utility::late_imports::standInForMissingFunction;
