// The sources of the PC id, a stable identifier of the computer: a registry
// value, a data file the installed product writes, and the network adapters'
// MAC addresses. GoogleAnalytics::calcPCID consults them in that order and logs
// what it found; nothing here logs except the registry helper.
#pragma once
#include <windows.h>
#include <iphlpapi.h>

#include <string>
#include <vector>

// Where the PC id is kept.
struct PcidStore {
  // Under HKEY_CURRENT_USER, 64-bit view; the value is "pcmac".
  std::string registryKey = "Software\\vlen\\";
  // Empty: the roaming application data folder + "\tormic_nuvaro.data".
  std::wstring dataFile;

  std::wstring dataFilePath() const;
};

// The value "pcmac" when it is longer than 10 characters; otherwise empty.
std::string readRegistryPcid(const std::string& registryKey);
// Stores `id` as the REG_SZ value "pcmac", creating the key. 0 or the
// registry's error status.
LONG saveRegistryPcid(const std::string& registryKey, const std::string& id);

// The first 128 bytes of the file as UTF-16 text when more than 30 bytes could
// be read; otherwise (also when the file cannot be opened) empty.
std::wstring readDataFilePcid(const std::wstring& path);

// "AABBCCDDEEFF" for every adapter whose address is not all zero, in the
// system's order; empty when the system lists none.
std::vector<std::wstring> adapterMacAddresses();
// The same for the adapter list starting at `first` (may be null): the first
// six bytes of each 8-byte address field that is not all zero.
std::vector<std::wstring> macAddressesOf(const IP_ADAPTER_INFO* first);
// The id of a set of MAC texts: sorted, joined with "|", MD5 in hexadecimal;
// with more than one address, the count in hexadecimal and "-" in front.
// No addresses give an empty id.
std::string macIdFromAddresses(std::vector<std::wstring> addresses);
