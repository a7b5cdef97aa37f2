// Built as an object of its own and linked into every program (and DLL) of
// the project: it holds the delay-load hook, which must be there whenever a
// delay-loaded import is, wherever the linker meets the import library.
#include "utility/system_library.h"

#include <delayimp.h>

namespace utility {
namespace {

// kernel32 is mapped into every process before any of its code runs, so
// asking for its handle loads nothing.
FARPROC kernelFunction(const char* name) { return loadedSystemFunction(L"kernel32.dll", name); }

template <typename Function>
Function kernelFunction(const char* name) {
  return loadedSystemFunction<Function>(L"kernel32.dll", name);
}

// LoadLibraryExW understands LOAD_LIBRARY_SEARCH_SYSTEM32 where the loader
// has AddDllDirectory: both came with the same update.
bool searchFlagsSupported() {
  static const bool supported = kernelFunction("AddDllDirectory") != nullptr;
  return supported;
}

// The delay-load helper asks this hook first; a module returned here is the
// one it uses, so the loader's own search never runs for a delayed import.
// Called from the runtime's C code: nothing may be thrown out of it (building
// the fallback's path allocates).
FARPROC WINAPI loadDelayedImport(unsigned notification, PDelayLoadInfo info) noexcept {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  wchar_t name[MAX_PATH] = {};
  for (int i = 0; i < MAX_PATH - 1 && info->szDll[i]; ++i)
    name[i] = static_cast<unsigned char>(info->szDll[i]);  // import names are ASCII
  try {
    return reinterpret_cast<FARPROC>(loadSystemLibrary(name));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

bool lockDllSearchToSystemFolder() {
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // An empty text takes the current folder out of the search.
  if (auto setDllDirectory = kernelFunction<SetDllDirectoryFn>("SetDllDirectoryW"))
    setDllDirectory(L"");
  auto setDefaults = kernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
  return setDefaults && setDefaults(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::wstring systemFilePath(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\" + fileName;
}

FARPROC loadedSystemFunction(const wchar_t* module, const char* name) {
  HMODULE loaded = GetModuleHandleW(module);
  return loaded ? GetProcAddress(loaded, name) : nullptr;
}

HMODULE loadLibraryFromFolder(const std::wstring& fullPath) {
  if (searchFlagsSupported())
    return LoadLibraryExW(fullPath.c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  return LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE loadSystemLibrary(const wchar_t* fileName) {
  if (searchFlagsSupported()) return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Older loaders: the full path, and the DLL's own dependencies looked up
  // beside it, in the system folder, rather than beside the program.
  std::wstring path = systemFilePath(fileName);
  return path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace utility

// The delay-load helper of the MinGW runtime calls this before it loads a DLL
// (delayimp.h declares it with C linkage).
PfnDliHook __pfnDliNotifyHook2 = utility::loadDelayedImport;
