// The stand-ins for the functions Windows XP lacks, against the system's own
// (which Wine has), and the delay-load failure hook that hands them out. No
// system here lacks the functions, so the hook is asked directly, as the
// delay-load helper would ask it on XP.
#include "utility/late_imports.h"

#include <delayimp.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace late = utility::late_imports;

namespace {

template <typename Function>
FARPROC address(Function function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

class WinsockScope {
 public:
  WinsockScope() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockScope() { WSACleanup(); }
};

}  // namespace

TEST(LateImports, AddressTextsAreReadAsTheSystemReadsThem) {
  WinsockScope winsock;
  const struct {
    int family;
    const char* text;
  } cases[] = {
      {AF_INET, "127.0.0.1"},      {AF_INET, "255.255.255.255"}, {AF_INET, "0.0.0.0"},
      {AF_INET, "1.2.3"},          {AF_INET, "256.1.1.1"},       {AF_INET, "1.2.3.4:80"},
      {AF_INET, "1.2.3.4 "},       {AF_INET, "a.b.c.d"},         {AF_INET, ""},
      {AF_INET6, "::1"},           {AF_INET6, "2001:db8::8:800:200c:417a"},
      {AF_INET6, "::ffff:1.2.3.4"}, {AF_INET6, "[::1]"},         {AF_INET6, "fe80::1%1"},
      {AF_INET6, "1:2:3"},         {AF_INET6, "example.com"},
  };
  for (const auto& test : cases) {
    uint8_t system[16] = {}, standIn[16] = {};
    int expected = inet_pton(test.family, test.text, system);
    EXPECT_EQ(late::inetPton(test.family, test.text, standIn), expected) << test.text;
    if (expected == 1) {
      EXPECT_EQ(memcmp(system, standIn, sizeof(system)), 0) << test.text;
    }
  }
  uint8_t unused[16];
  EXPECT_EQ(late::inetPton(AF_UNSPEC, "127.0.0.1", unused), -1);
}

TEST(LateImports, AddressesAreWrittenAsTheSystemWritesThem) {
  WinsockScope winsock;
  const struct {
    int family;
    const char* text;
  } cases[] = {{AF_INET, "127.0.0.1"}, {AF_INET, "10.20.30.40"}, {AF_INET6, "::1"},
               {AF_INET6, "2001:db8::8:800:200c:417a"}};
  for (const auto& test : cases) {
    uint8_t address[16] = {};
    ASSERT_EQ(inet_pton(test.family, test.text, address), 1) << test.text;
    char written[INET6_ADDRSTRLEN] = {};
    ASSERT_EQ(late::inetNtop(test.family, address, written, sizeof(written)), written) << test.text;
    EXPECT_STREQ(written, test.text);
  }
  char tooSmall[4];
  uint8_t loopback[4] = {127, 0, 0, 1};
  EXPECT_EQ(late::inetNtop(AF_INET, loopback, tooSmall, sizeof(tooSmall)), nullptr);
}

// The 32-bit count goes on past its wrap; a thread that read the count a
// little before another gave out a later one gets its own value back.
TEST(LateImports, TickCountIsCarriedOnInSixtyFourBits) {
  const struct {
    uint64_t state;
    DWORD now;
    uint64_t result;
    uint64_t stateAfter;
  } cases[] = {
      {0, 5000, 5000, 5000},                                // the first reading
      {5000, 7000, 7000, 7000},                             // time goes on
      {0xFFFFFF00u, 0x100, 0x100000100ull, 0x100000100ull},  // the 32-bit count wraps
      {0x300000100ull, 0xFFFFFF00u, 0x2FFFFFF00ull, 0x300000100ull},  // an older reading
      {0x100000000ull + 5000, 4990, 0x100000000ull + 4990, 0x100000000ull + 5000},
      {5000, 5000 + 0x80000000u, 5000 + 0x80000000ull, 5000 + 0x80000000ull},  // a long quiet
  };
  for (const auto& test : cases) {
    std::atomic<uint64_t> state{test.state};
    EXPECT_EQ(late::extendTickCount(state, test.now), test.result) << std::hex << test.state << " " << test.now;
    EXPECT_EQ(state.load(), test.stateAfter) << std::hex << test.state << " " << test.now;
  }
  const ULONGLONG system = GetTickCount64();
  EXPECT_NEAR(static_cast<double>(late::tickCount64()), static_cast<double>(system), 1000.0);
}

TEST(LateImports, LockStandInsKeepOutEveryOtherThread) {
  SRWLOCK lock = SRWLOCK_INIT;
  CRITICAL_SECTION section;
  ASSERT_TRUE(late::initializeCriticalSectionEx(&section, 4000, 0));
  long underLock = 0, underSection = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        late::acquireSrwLockExclusive(&lock);
        long seen = underLock;
        underLock = seen + 1;
        late::releaseSrwLockExclusive(&lock);
        EnterCriticalSection(&section);
        ++underSection;
        LeaveCriticalSection(&section);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  DeleteCriticalSection(&section);
  EXPECT_EQ(underLock, 80000);
  EXPECT_EQ(underSection, 80000);
  EXPECT_EQ(lock.Ptr, nullptr);
}

// What the delay-load helper asks when a DLL lacks a function: the stand-in
// for the six names, nothing for any other name or question.
TEST(LateImports, FailureHookHandsOutTheStandIns) {
  ASSERT_NE(__pfnDliFailureHook2, nullptr);
  const struct {
    const char* dll;
    const char* function;
    FARPROC expected;
  } cases[] = {
      {"KERNEL32.dll", "GetTickCount64", address(&late::tickCount64)},
      {"kernel32.dll", "AcquireSRWLockExclusive", address(&late::acquireSrwLockExclusive)},
      {"KERNEL32.dll", "ReleaseSRWLockExclusive", address(&late::releaseSrwLockExclusive)},
      {"KERNEL32.dll", "InitializeCriticalSectionEx",
       address(&late::initializeCriticalSectionEx)},
      {"WS2_32.dll", "inet_pton", address(&late::inetPton)},
      {"WS2_32.dll", "inet_ntop", address(&late::inetNtop)},
      {"KERNEL32.dll", "inet_pton", nullptr},
      {"WS2_32.dll", "GetTickCount64", nullptr},
      {"WININET.dll", "InternetOpenW", nullptr},
  };
  for (const auto& test : cases) {
    DelayLoadInfo info{};
    info.cb = sizeof(info);
    info.szDll = test.dll;
    info.dlp.fImportByName = TRUE;
    info.dlp.szProcName = test.function;
    EXPECT_EQ(__pfnDliFailureHook2(dliFailGetProc, &info), test.expected) << test.dll << "!" << test.function;
    EXPECT_EQ(__pfnDliFailureHook2(dliFailLoadLib, &info), nullptr) << test.dll << "!" << test.function;
  }
  DelayLoadInfo byOrdinal{};
  byOrdinal.szDll = "KERNEL32.dll";
  byOrdinal.dlp.fImportByName = FALSE;
  byOrdinal.dlp.dwOrdinal = 1;
  EXPECT_EQ(__pfnDliFailureHook2(dliFailGetProc, &byOrdinal), nullptr);
}
