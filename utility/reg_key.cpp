#include "utility/reg_key.h"

#include "utility/log.h"
#include "utility/text.h"

namespace utility {

RegKey::~RegKey() { close(); }

void RegKey::close() {
  if (!key_) return;
  RegCloseKey(key_);
  key_ = nullptr;
}

LONG RegKey::RegRegOpen(HKEY root, const std::string& subKey, REGSAM access) {
  close();
  LONG status = RegOpenKeyExA(root, subKey.c_str(), 0, access, &key_);
  if (status != ERROR_SUCCESS) {
    key_ = nullptr;
    // The registry reports its error as the status, not through GetLastError.
    LOG(L"open reg = %s, lastError = %d", ansiToWide(subKey).c_str(), (int)status);
  }
  return status;
}

LONG RegKey::RegRead(const std::string& name, std::string& value) {
  if (!key_) {
    LOG(L"m_hKey is null, query reg = %s", ansiToWide(name).c_str());
    return -1;
  }
  char buffer[1025] = {};  // one spare byte keeps a full 1,024-byte value terminated
  DWORD size = 1024;
  LONG status = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, (BYTE*)buffer, &size);
  if (status == ERROR_SUCCESS)
    value = buffer;
  else
    LOG(L"read reg lastError = %d", (int)status);
  return status;
}

}  // namespace utility
