// The shut-down never releases libcurl under a running transfer.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "utility/process.h"

// Wine's Schannel takes the server's self-signed certificate.
TEST(Shutdown, HttpsPostInFlightFinishesAndTheProcessEndsCleanly) {
  if (!testing_support::testServerPort("PACKAGE_TLS")) GTEST_SKIP() << "no TLS port";
  testing_support::TempDir dir;
  std::wstring probe = dir.file(L"shutdown_probe.exe");
  CopyFileW((testing_support::exeFolder() + L"shutdown_probe.exe").c_str(), probe.c_str(), FALSE);
  EXPECT_TRUE(utility::process::execute(probe, L"", false, 30000));
  EXPECT_EQ(testing_support::readFile(probe + L".txt"), "posted=1");
}
