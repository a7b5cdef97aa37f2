// The installer as it ships: what its version resource says, and its own code
// signature checked the way a downloaded package is.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/package_signature.h"

namespace {

const wchar_t* const kInstaller = L"" VORLANE_INSTALLER_EXE;

class VersionResource {
 public:
  explicit VersionResource(const wchar_t* file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoW(file, 0, size, data_.data())) data_.clear();
  }
  bool loaded() const { return !data_.empty(); }
  const VS_FIXEDFILEINFO* fixed() const {
    return static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
  }
  std::wstring text(const std::wstring& name) const {
    auto* value = static_cast<const wchar_t*>(query(L"\\StringFileInfo\\040904B0\\" + name));
    return value ? value : L"(missing)";
  }

 private:
  const void* query(const std::wstring& path) const {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), path.c_str(), &value, &length) || length == 0) return nullptr;
    return value;
  }
  std::vector<char> data_;
};

}  // namespace

TEST(InstallerVersion, ResourceNamesProductCompanyAndTheBuildsVersion) {
  VersionResource resource(kInstaller);
  ASSERT_TRUE(resource.loaded()) << "no version resource, error " << GetLastError();
  const VS_FIXEDFILEINFO* fixed = resource.fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD high = MAKELONG(VORLANE_VERSION_MINOR, VORLANE_VERSION_MAJOR);
  const DWORD low = MAKELONG(VORLANE_VERSION_TWEAK, VORLANE_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  struct Case {
    const wchar_t* name;
    std::wstring value;
  } cases[] = {
      {L"ProductName", L"Vorlane"},
      {L"CompanyName", L"Vorlane Software Ltd."},
      {L"FileDescription", L"" VORLANE_FILE_DESCRIPTION},
      {L"FileVersion", L"" VORLANE_VERSION},
      {L"ProductVersion", L"" VORLANE_VERSION},
      {L"OriginalFilename", L"VorlaneInstaller.exe"},
      {L"LegalCopyright", L"" VORLANE_COPYRIGHT},
  };
  for (const Case& c : cases) EXPECT_EQ(resource.text(c.name), c.value) << c.name;
}

// Wine checks the signature and the digest but not the chain's root (see the
// package signature tests).
TEST(InstallerSignature, SignedByThePackagesPublisher) {
#if VORLANE_INSTALLER_SIGNED
  EXPECT_TRUE(utility::verifyPackageSignature(kInstaller, utility::packagePublisher()));
#else
  GTEST_SKIP() << "this build signs nothing (no certificate configured)";
#endif
}
