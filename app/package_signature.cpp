#include "app/package_signature.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "utility/log.h"

#ifndef VORLANE_PACKAGE_SIGNER
#define VORLANE_PACKAGE_SIGNER "Vorlane Software Ltd."
#endif

namespace utility {

namespace {

// The subject name of the certificate that made the verified signature.
std::wstring signerName(HANDLE stateData) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(stateData);
  CRYPT_PROVIDER_SGNR* signer =
      provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (!cert || !cert->pCert) return {};
  DWORD length =
      CertGetNameStringW(cert->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (length <= 1) return {};
  std::wstring name(length, L'\0');
  CertGetNameStringW(cert->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
  name.resize(length - 1);  // the count includes the terminating NUL
  return name;
}

}  // namespace

const wchar_t* packagePublisher() { return L"" VORLANE_PACKAGE_SIGNER; }

bool verifyPackageSignature(const std::wstring& path, const std::wstring& expectedSigner,
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
  std::wstring signer = status == ERROR_SUCCESS ? signerName(trust.hWVTStateData) : L"";
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &trust);

  if (status != ERROR_SUCCESS) {
    LOG(L"package signature refused: %s, status = 0x%08X", path.c_str(), (unsigned)status);
    return false;
  }
  if (expectedSigner.empty() || signer != expectedSigner) {
    LOG(L"package signer refused: %s, signer = [%s], expected = [%s]", path.c_str(),
        signer.c_str(), expectedSigner.c_str());
    return false;
  }
  return true;
}

}  // namespace utility
