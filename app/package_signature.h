// Accepting a downloaded installer package only when its code signature is
// intact and was made by the product's publisher.
#pragma once
#include <string>

namespace utility {

// The subject name the package's signing certificate must carry; a build
// setting (VORLANE_PACKAGE_SIGNER).
const wchar_t* packagePublisher();

// True when the file's Authenticode signature verifies (no UI, no revocation
// lookup) and its signing certificate's subject name equals `expectedSigner`
// exactly. A refusal is logged with the reason. Any thread.
bool verifyPackageSignature(const std::wstring& path, const std::wstring& expectedSigner);

}  // namespace utility
