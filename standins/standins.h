// Where the build put the stand-in programs, for the tests of this tree (link
// the vorlane_standins target). Paths are Windows paths under Wine's Z: drive.
#pragma once
#include <string>

namespace standins {

inline std::wstring buildPath(const std::wstring& relative) {
  std::wstring path = L"" VORLANE_STANDINS_DIR + relative;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// The emulator stand-in (installed by the package as vdplayer.exe and the rest).
inline std::wstring player() { return buildPath(L"player/vdplayer.exe"); }
// The bare package program: not padded, not signed.
inline std::wstring packageProgram() { return buildPath(L"vorlane_package.exe"); }
// A padded copy of the package: "signed" (12 MiB), "signed_small" (9 MiB),
// "unsigned", "tampered", "other_signer" or "same_name".
inline std::wstring package(const std::wstring& copy) {
  return buildPath(L"packages/package_" + copy + L".exe");
}

// The offer library stand-in, "ds.dll" (offer_library.cpp), as built.
inline std::wstring offerLibrary() { return buildPath(L"offer/ds.dll"); }

inline const wchar_t* testSigner() { return L"" VORLANE_TEST_SIGNER; }
inline const wchar_t* otherSigner() { return L"" VORLANE_OTHER_SIGNER; }
// The SHA-256 of each test certificate's public key (SubjectPublicKeyInfo),
// in lower-case hexadecimal. The "same_name" copy is signed by a third
// certificate, with the test signer's name and a key of its own.
inline const wchar_t* testSignerKey() { return L"" VORLANE_TEST_SIGNER_KEY_SHA256; }
inline const wchar_t* otherSignerKey() { return L"" VORLANE_OTHER_SIGNER_KEY_SHA256; }

}  // namespace standins
