// Accepting a downloaded installer package only when its code signature is
// intact and was made by the product's publisher: a certificate with the
// publisher's name and one of the publisher's keys. A name alone is not
// enough: another company of that name elsewhere can get a certificate too,
// and the package runs with administrator rights.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace utility {

// Who may sign a package: the signing certificate's subject name and the
// SHA-256 of its public key (the DER of its SubjectPublicKeyInfo, as 64
// lower-case hexadecimal digits), which must be one of `keys`.
struct PackageSigner {
  std::wstring name;
  std::vector<std::wstring> keys;
};

// The build's settings: VORLANE_PACKAGE_SIGNER and the keys pinned beside it
// (VORLANE_PACKAGE_SIGNER_KEY_SHA256; the test certificate's in test builds).
PackageSigner packagePublisher();

// True when the file's Authenticode signature verifies (no UI, no revocation
// lookup), its signing certificate's subject name equals `expected.name`
// exactly and its public key is one of `expected.keys`. A refusal is logged
// with the reason. Any thread.
// With `file` (an open handle of `path`) the check reads through that handle,
// so what was checked is what the handle holds; without it the file is opened
// by its path.
bool verifyPackageSignature(const std::wstring& path, const PackageSigner& expected,
                            HANDLE file = nullptr);

}  // namespace utility
