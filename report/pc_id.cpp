#include "report/pc_id.h"

#include <algorithm>
#include <cwchar>

#include "report/md5.h"
#include "utility/file_handle.h"
#include "utility/reg_key.h"
#include "utility/text.h"
#include "utility/ufile.h"

namespace {

constexpr size_t kMinRegistryChars = 11;  // shorter values are not ids
constexpr uint32_t kDataFileReadBytes = 128;
constexpr uint32_t kMinDataFileBytes = 31;

bool isAllZero(const BYTE* bytes, size_t count) {
  return std::all_of(bytes, bytes + count, [](BYTE b) { return b == 0; });
}

}  // namespace

std::wstring PcidStore::dataFilePath() const {
  if (!dataFile.empty()) return dataFile;
  return utility::ufile::appDataDir() + L"\\tormic_nuvaro.data";
}

std::string readRegistryPcid(const std::string& registryKey) {
  utility::RegKey key;
  if (key.RegRegOpen(HKEY_CURRENT_USER, registryKey, KEY_READ | KEY_WOW64_64KEY) != ERROR_SUCCESS)
    return {};
  std::string value;
  key.RegRead("pcmac", value);
  return value.size() >= kMinRegistryChars ? value : std::string();
}

LONG saveRegistryPcid(const std::string& registryKey, const std::string& id) {
  HKEY key = nullptr;
  LONG status =
      RegCreateKeyExW(HKEY_CURRENT_USER, utility::ansiToWide(registryKey).c_str(), 0, nullptr, 0,
                      KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  std::wstring text = utility::ansiToWide(id);
  status = RegSetValueExW(key, L"pcmac", 0, REG_SZ, (const BYTE*)text.c_str(),
                          (DWORD)(2 * text.size() + 2));
  RegCloseKey(key);
  return status;
}

std::wstring readDataFilePcid(const std::wstring& path) {
  utility::FileHandle file;
  if (!file.openForRead(path)) return {};
  char bytes[kDataFileReadBytes];
  uint32_t got = file.read(bytes, sizeof(bytes));
  file.close();
  if (got < kMinDataFileBytes) return {};
  std::wstring text(got / 2, L'\0');
  memcpy(text.data(), bytes, text.size() * sizeof(wchar_t));
  return text;
}

std::vector<std::wstring> adapterMacAddresses() {
  ULONG size = 0;
  DWORD status = GetAdaptersInfo(nullptr, &size);
  if ((status != ERROR_SUCCESS && status != ERROR_BUFFER_OVERFLOW) || size == 0) return {};
  std::vector<BYTE> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (GetAdaptersInfo(first, &size) != ERROR_SUCCESS) return {};
  return macAddressesOf(first);
}

std::vector<std::wstring> macAddressesOf(const IP_ADAPTER_INFO* first) {
  std::vector<std::wstring> addresses;
  for (const IP_ADAPTER_INFO* adapter = first; adapter; adapter = adapter->Next) {
    if (isAllZero(adapter->Address, sizeof(adapter->Address))) continue;
    wchar_t text[13] = {};
    const BYTE* a = adapter->Address;
    _snwprintf(text, 12, L"%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    addresses.push_back(text);
  }
  return addresses;
}

std::string macIdFromAddresses(std::vector<std::wstring> addresses) {
  if (addresses.empty()) return {};
  // Sorted, so the id does not depend on the order the system lists adapters in.
  std::sort(addresses.begin(), addresses.end());
  std::wstring joined;
  for (size_t i = 0; i < addresses.size(); ++i) {
    if (i > 0) joined += L'|';
    joined += addresses[i];
  }
  std::string ansi = utility::wideToAnsi(joined);
  std::string digest;
  if (!md5Hex(ansi.data(), (int)ansi.size(), digest)) return {};
  if (addresses.size() == 1) return digest;
  char prefix[16] = {};
  _snprintf(prefix, sizeof(prefix) - 1, "%x-", (unsigned)addresses.size());
  return prefix + digest;
}
