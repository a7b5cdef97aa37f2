#include <gtest/gtest.h>

#include "app/package_signature.h"
#include "standins/standins.h"
#include "utility/log.h"

namespace {

std::wstring g_log;
void captureLog(const char*, int, const wchar_t* message) { g_log += message + std::wstring(L"\n"); }

}  // namespace

// Wine checks the signature and the digest but not the chain's root, so the
// self-made test certificates pass here; Windows would also insist on a root
// it trusts. A certificate of the expected name with another key ("same
// name": another company of the same name elsewhere) is refused all the same.
TEST(PackageSignature, AcceptsOnlyIntactPackagesOfTheExpectedSignerAndKey) {
  const utility::PackageSigner test{standins::testSigner(), {standins::testSignerKey()}};
  const utility::PackageSigner other{standins::otherSigner(), {standins::otherSignerKey()}};
  const utility::PackageSigner testKeyChanging{standins::testSigner(),
                                               {standins::otherSignerKey(), standins::testSignerKey()}};
  struct Case {
    std::wstring file;
    utility::PackageSigner signer;
    bool accepted;
    const wchar_t* logged;  // the refusal's reason
  } cases[] = {
      {standins::package(L"signed"), test, true, nullptr},
      {standins::package(L"signed_small"), test, true, nullptr},
      {standins::package(L"signed"), testKeyChanging, true, nullptr},
      {standins::package(L"unsigned"), test, false, L"package signature refused"},
      {standins::package(L"tampered"), test, false, L"package signature refused"},
      {standins::package(L"other_signer"), test, false, L"package signer refused"},
      {standins::package(L"other_signer"), other, true, nullptr},
      {standins::package(L"same_name"), test, false, L"package signer's key refused"},
      {standins::package(L"signed"), {test.name, {}}, false, L"package signer's key refused"},
      {standins::package(L"signed"), {test.name, other.keys}, false, L"package signer's key refused"},
      {standins::package(L"signed"), {L"Vorlane Test", test.keys}, false, L"package signer refused"},
      {standins::package(L"signed"), {L"vorlane test signing", test.keys}, false,
       L"package signer refused"},
      {standins::package(L"signed"), {L"", test.keys}, false, L"package signer refused"},
      {standins::buildPath(L"packages/missing.exe"), test, false, L"package signature refused"},
  };
  common::setLogSink(&captureLog);
  for (const Case& c : cases) {
    g_log.clear();
    EXPECT_EQ(utility::verifyPackageSignature(c.file, c.signer), c.accepted)
        << c.file << " / " << c.signer.name << " / " << c.signer.keys.size() << " keys";
    if (c.logged)
      EXPECT_NE(g_log.find(c.logged), std::wstring::npos) << c.file << ": " << g_log;
    else
      EXPECT_TRUE(g_log.empty()) << g_log;
  }
  common::setLogSink(nullptr);
}

TEST(PackageSignature, PublisherIsTheBuildSetting) {
  utility::PackageSigner publisher = utility::packagePublisher();
  EXPECT_EQ(publisher.name, L"" VORLANE_PACKAGE_SIGNER_FOR_TEST);
  // Test and demo builds expect the test certificate and pin its key, so the
  // stand-in passes and the one of the same name with another key does not.
  if (publisher.name == standins::testSigner()) {
    EXPECT_EQ(publisher.keys, std::vector<std::wstring>{standins::testSignerKey()});
    EXPECT_TRUE(utility::verifyPackageSignature(standins::package(L"signed"), publisher));
    EXPECT_FALSE(utility::verifyPackageSignature(standins::package(L"same_name"), publisher));
  }
}
