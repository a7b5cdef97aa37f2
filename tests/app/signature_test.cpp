#include <gtest/gtest.h>

#include "app/package_signature.h"
#include "standins/standins.h"
#include "utility/log.h"

namespace {

std::wstring g_log;
void captureLog(const char*, int, const wchar_t* message) { g_log += message + std::wstring(L"\n"); }

}  // namespace

// Wine checks the signature and the digest but not the chain's root, so the
// self-made test certificate passes here; Windows would also insist on a root
// it trusts.
TEST(PackageSignature, AcceptsOnlyIntactPackagesOfTheExpectedSigner) {
  struct Case {
    std::wstring file;
    std::wstring signer;
    bool accepted;
    const wchar_t* logged;  // the refusal's reason
  } cases[] = {
      {standins::package(L"signed"), standins::testSigner(), true, nullptr},
      {standins::package(L"signed_small"), standins::testSigner(), true, nullptr},
      {standins::package(L"unsigned"), standins::testSigner(), false, L"package signature refused"},
      {standins::package(L"tampered"), standins::testSigner(), false, L"package signature refused"},
      {standins::package(L"other_signer"), standins::testSigner(), false, L"package signer refused"},
      {standins::package(L"other_signer"), standins::otherSigner(), true, nullptr},
      {standins::package(L"signed"), L"Vorlane Test", false, L"package signer refused"},
      {standins::package(L"signed"), L"vorlane test signing", false, L"package signer refused"},
      {standins::package(L"signed"), L"", false, L"package signer refused"},
      {standins::buildPath(L"packages/missing.exe"), standins::testSigner(), false,
       L"package signature refused"},
  };
  common::setLogSink(&captureLog);
  for (const Case& c : cases) {
    g_log.clear();
    EXPECT_EQ(utility::verifyPackageSignature(c.file, c.signer), c.accepted)
        << c.file << " / " << c.signer;
    if (c.logged)
      EXPECT_NE(g_log.find(c.logged), std::wstring::npos) << c.file << ": " << g_log;
    else
      EXPECT_TRUE(g_log.empty()) << g_log;
  }
  common::setLogSink(nullptr);
}

TEST(PackageSignature, PublisherIsTheBuildSetting) {
  EXPECT_STREQ(utility::packagePublisher(), L"" VORLANE_PACKAGE_SIGNER_FOR_TEST);
  // Test and demo builds expect the test certificate, so the stand-in passes.
  if (std::wstring(utility::packagePublisher()) == standins::testSigner()) {
    EXPECT_TRUE(utility::verifyPackageSignature(standins::package(L"signed"),
                                                utility::packagePublisher()));
  }
}
