// A server that stops sending ends a download of either engine after the stall
// limit; one that still sends, however slowly, is never cut. (What follows a
// stall once bytes have arrived, the resume, is tested on its own.)
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "tests/net/net_test_support.h"
#include "tests/support/test_support.h"

using net_test::packageBytes;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

using net_test::kDownloadEngines;

// One request of `path` on the package server into `file`, never made again; the result.
bool download(const net_test::DownloadEngine& engine, const std::string& path,
              const std::wstring& file, DWORD stallMs) {
  DownloadLimits limits;
  limits.stallMs = stallMs;
  limits.noProgressMs = 0;
  return engine.download(net_test::url(path), file, limits, nullptr);
}

// Nothing at all after the request, or nothing after the first piece, for ten minutes.
const char kNoAnswer[] = "/echo?delay=600000";
const char kStopsMidBody[] = "/package/100000?chunk=1000&delay=600000";

}  // namespace

TEST(DownloadStall, SilenceEndsTheTransferSlowProgressDoesNot) {
  const DWORD kStallMs = 2000;
  struct Case {
    const char* path;
    bool ok;
  } cases[] = {
      {kNoAnswer, false},
      {kStopsMidBody, false},
      // 40 pieces of 250 bytes, 250 ms apart: about 10 s, never 2 s without a byte.
      {"/package/10000?chunk=250&delay=250", true},
  };
  TempDir dir;
  for (const auto& engine : kDownloadEngines) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(engine.name) + " " + c.path);
      std::wstring file = dir.file(L"stall.exe");
      DWORD start = GetTickCount();
      EXPECT_EQ(download(engine, c.path, file, kStallMs), c.ok);
      DWORD took = GetTickCount() - start;
      if (c.ok) {
        EXPECT_TRUE(readFile(file) == packageBytes(10000));
        EXPECT_GE(took, 9000u);
      } else {
        EXPECT_GE(took, kStallMs - 100);
        EXPECT_LT(took, 4 * kStallMs + 2000);
      }
    }
  }
}

// The product's limit, for both engines at once: a minute of silence.
TEST(DownloadStall, DefaultLimitIsAMinute) {
  TempDir dir;
  DWORD took[2] = {};
  bool ok[2] = {true, true};
  std::vector<std::thread> threads;
  for (int i = 0; i < 2; ++i)
    threads.emplace_back([&, i] {
      DWORD start = GetTickCount();
      ok[i] = download(kDownloadEngines[i], kNoAnswer, dir.file(std::to_wstring(i) + L".exe"),
                       kDownloadStallLimitMs);
      took[i] = GetTickCount() - start;
    });
  for (auto& thread : threads) thread.join();
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(kDownloadEngines[i].name);
    EXPECT_FALSE(ok[i]);
    EXPECT_GE(took[i], 59000u);
    EXPECT_LT(took[i], 90000u);
  }
}
