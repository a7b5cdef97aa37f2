// Accepting a downloaded installer package only when its code signature is
// intact and was made by the product's publisher.
#pragma once
#include <windows.h>

#include <string>

namespace utility {

// The subject name the package's signing certificate must carry; a build
// setting (VORLANE_PACKAGE_SIGNER).
const wchar_t* packagePublisher();

// True when the file's Authenticode signature verifies (no UI, no revocation
// lookup) and its signing certificate's subject name equals `expectedSigner`
// exactly. A refusal is logged with the reason. Any thread.
// With `file` (an open handle of `path`) the check reads through that handle,
// so what was checked is what the handle holds; without it the file is opened
// by its path.
bool verifyPackageSignature(const std::wstring& path, const std::wstring& expectedSigner,
                            HANDLE file = nullptr);

}  // namespace utility
