#include "app/package_signature.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>

#include "utility/log.h"

#ifndef VORLANE_PACKAGE_SIGNER
#define VORLANE_PACKAGE_SIGNER "Vorlane Software Ltd."
#endif
// Comma-separated; a build without a key accepts no package.
#ifndef VORLANE_PACKAGE_SIGNER_KEYS
#define VORLANE_PACKAGE_SIGNER_KEYS ""
#endif

namespace utility {

namespace {

// The certificate that made the verified signature; owned by the state data.
const CERT_CONTEXT* signingCertificate(HANDLE stateData) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(stateData);
  CRYPT_PROVIDER_SGNR* signer =
      provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  return cert ? cert->pCert : nullptr;
}

std::wstring subjectName(const CERT_CONTEXT* cert) {
  DWORD length = CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (length <= 1) return {};
  std::wstring name(length, L'\0');
  CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
  name.resize(length - 1);  // the count includes the terminating NUL
  return name;
}

// The SHA-256 of the certificate's SubjectPublicKeyInfo in DER, in lower-case
// hexadecimal: what `openssl pkey -pubin -outform DER | sha256sum` gives for
// its public key. Empty when it cannot be had.
std::wstring publicKeySha256(const CERT_CONTEXT* cert) {
  BYTE* encoded = nullptr;
  DWORD size = 0;
  if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO,
                           &cert->pCertInfo->SubjectPublicKeyInfo, CRYPT_ENCODE_ALLOC_FLAG, nullptr,
                           &encoded, &size))
    return {};
  BYTE hash[32] = {};
  DWORD hashSize = sizeof(hash);
  bool hashed = CryptHashCertificate2(L"SHA256", 0, nullptr, encoded, size, hash, &hashSize) &&
                hashSize == sizeof(hash);
  LocalFree(encoded);
  if (!hashed) return {};
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text;
  for (BYTE b : hash) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::vector<std::wstring> splitKeys(const wchar_t* keys) {
  std::vector<std::wstring> list;
  std::wstring text = keys;
  for (size_t start = 0; start < text.size();) {
    size_t end = std::min(text.find(L',', start), text.size());
    if (end > start) list.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return list;
}

}  // namespace

PackageSigner packagePublisher() {
  return {L"" VORLANE_PACKAGE_SIGNER, splitKeys(L"" VORLANE_PACKAGE_SIGNER_KEYS)};
}

bool verifyPackageSignature(const std::wstring& path, const PackageSigner& expected,
                            HANDLE handle) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  file.hFile = handle;
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof(trust);
  trust.dwUIChoice = WTD_UI_NONE;
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  trust.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;

  LONG status = WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &trust);
  const CERT_CONTEXT* cert = status == ERROR_SUCCESS ? signingCertificate(trust.hWVTStateData) : nullptr;
  std::wstring signer = cert ? subjectName(cert) : L"";
  std::wstring key = cert ? publicKeySha256(cert) : L"";
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &trust);

  if (status != ERROR_SUCCESS) {
    LOG(L"package signature refused: %s, status = 0x%08X", path.c_str(), (unsigned)status);
    return false;
  }
  if (expected.name.empty() || signer != expected.name) {
    LOG(L"package signer refused: %s, signer = [%s], expected = [%s]", path.c_str(),
        signer.c_str(), expected.name.c_str());
    return false;
  }
  if (key.empty() || std::find(expected.keys.begin(), expected.keys.end(), key) == expected.keys.end()) {
    LOG(L"package signer's key refused: %s, signer = [%s], key = [%s]", path.c_str(),
        signer.c_str(), key.c_str());
    return false;
  }
  return true;
}

}  // namespace utility
