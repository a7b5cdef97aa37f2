#include "skin/resource_map.h"

#include <cstring>
#include <map>
#include <new>

#include "skin/language_table.h"
#include "skin/un7z.h"
#include "utility/file_handle.h"
#include "utility/usystem.h"

namespace DuiLib {
namespace {

// Process-wide and never destroyed, as the program's other such objects.
struct SkinState {
  HINSTANCE instance = nullptr;
  DWORD windowsMajor = 0;
  std::wstring resourcePath;
  std::map<std::wstring, std::string> files;
};

SkinState& state() {
  static SkinState* skin = new SkinState;
  return *skin;
}

bool endsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

std::unique_ptr<uint8_t[]> copyOf(const void* data, uint32_t count) {
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[count]);
  if (copy) memcpy(copy.get(), data, count);
  return copy;
}

// The whole file when it opens, is not empty and reads completely.
std::unique_ptr<uint8_t[]> readLooseFile(const std::wstring& path, uint32_t& size) {
  utility::FileHandle file;
  if (!file.openForRead(path)) return nullptr;
  uint32_t total = file.size();
  std::unique_ptr<uint8_t[]> bytes(total ? new (std::nothrow) uint8_t[total] : nullptr);
  uint32_t got = 0;
  if (!bytes) total = 0;
  while (got < total) {
    uint32_t chunk = file.read(bytes.get() + got, total - got);
    if (chunk == 0) break;
    got += chunk;
  }
  file.close();
  if (total == 0 || got != total) return nullptr;
  size = total;
  return bytes;
}

// The on-disk file that may override the map: an absolute name ("X:...") as it
// is, any other under the resource path; none without a resource path.
std::wstring looseCandidate(const std::wstring& name) {
  if (name.size() >= 2 && name[1] == L':') return name;
  if (state().resourcePath.empty()) return {};
  return state().resourcePath + name;
}

}  // namespace

void setInstance(HINSTANCE instance) {
  state().instance = instance;
  state().windowsMajor = utility::usystem::windowsMajorVersion();
}

HINSTANCE instance() { return state().instance; }

DWORD windowsMajorVersion() { return state().windowsMajor; }

std::wstring instancePath() {
  if (!state().instance) return {};
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(state().instance, path, MAX_PATH);
  std::wstring folder = path;
  size_t slash = folder.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

void setResourcePath(const std::wstring& path) {
  // FindFirstFileW finds nothing for a path ending with a separator, so the
  // probe leaves trailing separators off.
  std::wstring probe = path;
  while (endsWithSeparator(probe)) probe.pop_back();
  WIN32_FIND_DATAW found;
  HANDLE search = probe.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(probe.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    state().resourcePath.clear();
    return;
  }
  FindClose(search);
  state().resourcePath = endsWithSeparator(path) ? path : path + L'\\';
}

std::wstring resourcePath() { return state().resourcePath; }

void loadZipResource(UINT id, const std::wstring& languageFile) {
  HMODULE module = state().instance;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"ZIPRES");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  DWORD size = found ? SizeofResource(module, found) : 0;
  if (loaded && size != 0) {
    // The result is not examined: whatever files arrived stay in the map.
    utility::un7z::extractToCallback(LockResource(loaded), size, &addZipEntry);
  }
  if (loaded) FreeResource(loaded);
  loadLanguageTable(languageFile);
}

void addZipEntry(const wchar_t* name, const uint8_t* data, int32_t size) {
  if (!name || size < 0) return;
  state().files[name].assign(reinterpret_cast<const char*>(data), (size_t)size);
}

std::unique_ptr<uint8_t[]> loadResourceData(const std::wstring& name, uint32_t& size) {
  size = 0;
  std::wstring candidate = looseCandidate(name);
  if (!candidate.empty()) {
    if (auto bytes = readLooseFile(candidate, size)) return bytes;
  }
  return loadEmbeddedResourceData(name, size);
}

std::unique_ptr<uint8_t[]> loadEmbeddedResourceData(const std::wstring& name, uint32_t& size) {
  size = 0;
  std::wstring key = name;
  for (wchar_t& c : key)
    if (c == L'\\') c = L'/';
  auto entry = state().files.find(key);
  if (entry == state().files.end()) return nullptr;
  auto bytes = copyOf(entry->second.data(), (uint32_t)entry->second.size());
  if (bytes) size = (uint32_t)entry->second.size();
  return bytes;
}

void clearResourceMap() { state().files.clear(); }

}  // namespace DuiLib
