#include "report/md5.h"

#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>

namespace {

constexpr DWORD kDigestBytes = 16;

// The process's provider context, acquired on first use and kept: acquiring
// one costs about a millisecond, a digest a few microseconds. 0 when refused.
HCRYPTPROV md5Provider() {
  static const HCRYPTPROV provider = [] {
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextW(&handle, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
      return HCRYPTPROV{0};
    return handle;
  }();
  return provider;
}

// One digest with its own hash object; false when any step fails.
bool md5Digest(const void* data, int length, BYTE (&digest)[kDigestBytes]) {
  HCRYPTPROV provider = md5Provider();
  HCRYPTHASH hash = 0;
  DWORD size = kDigestBytes;
  bool ok = provider && CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
            CryptHashData(hash, static_cast<const BYTE*>(data), (DWORD)length, 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == kDigestBytes;
  if (hash) CryptDestroyHash(hash);
  return ok;
}

}  // namespace

bool md5Hex(const void* data, int length, std::string& out) {
  if (!data || length <= 0) return false;
  BYTE digest[kDigestBytes];
  if (!md5Digest(data, length, digest)) return false;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text(2 * kDigestBytes, '0');
  for (DWORD i = 0; i < kDigestBytes; ++i) {
    text[2 * i] = kHex[digest[i] >> 4];
    text[2 * i + 1] = kHex[digest[i] & 0x0F];
  }
  out = std::move(text);
  return true;
}
