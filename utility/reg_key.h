// One open registry key, reached through the ANSI registry functions. The key
// is closed when the object goes.
#pragma once
#include <windows.h>

#include <string>

namespace utility {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey();
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // The status of RegOpenKeyExA (0 = success); failures are logged.
  LONG RegRegOpen(HKEY root, const std::string& subKey, REGSAM access);
  // Reads a value of up to 1,024 bytes as a NUL-terminated string. The status
  // of RegQueryValueExA, or -1 when no key is open; `value` changes only on success.
  LONG RegRead(const std::string& name, std::string& value);

 private:
  void close();
  HKEY key_ = nullptr;
};

}  // namespace utility
