// Built as an object of its own and linked into every program (and DLL) of
// the project: it holds the delay-load hook, which must be there whenever a
// delay-loaded import is, wherever the linker meets the import library.
#include "utility/system_library.h"

#include <delayimp.h>

#include "utility/log.h"

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

// What the delay-loaded libraries load by name for themselves, as Wine's
// loader shows it (`WINEDEBUG=+loaddll` of a whole run, with DLLs of those
// names planted beside the program): loaded just before them, so that both
// their own imports and what they load later find these loaded.
struct PulledByName {
  const char* library;
  const wchar_t* pulled[4];  // ends at the first null
};
const PulledByName kPulledByName[] = {
    {"gdiplus.dll", {L"windowscodecs.dll"}},  // its image decoders
    {"wintrust.dll", {L"imagehlp.dll"}},      // an import Wine takes by name
    {"winhttp.dll", {L"dhcpcsvc.dll"}},       // proxy auto-detection asks DHCP
};

bool sameAsciiName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if ((*a | 0x20) != (*b | 0x20)) return false;
  return *a == *b;
}

void loadWhatItPulls(const char* library) {
  for (const PulledByName& entry : kPulledByName) {
    if (!sameAsciiName(entry.library, library)) continue;
    for (const wchar_t* name : entry.pulled)
      if (name) loadSystemLibrariesFirst({name});
  }
}

// A delayed DLL that the system folder cannot give is looked for nowhere
// else: the runtime's helper would fall back on LoadLibraryA with the bare
// name, which searches the program's folder first (Downloads). On every
// Windows the program supports these DLLs are in the system folder, so this
// means a broken system: the process ends here, with the reason in the log.
[[noreturn]] void endWithoutLibrary(const wchar_t* name, DWORD error) {
  LOG(L"system library %s not loaded from the system folder, error = %d: the program ends", name,
      (int)error);
  common::flushLog(2000);
  TerminateProcess(GetCurrentProcess(), ERROR_MOD_NOT_FOUND);
  ExitProcess(ERROR_MOD_NOT_FOUND);  // not reached: ending itself, TerminateProcess does not return
}

// The delay-load helper asks this hook first; the module returned here is
// the one it uses, so the loader's own search never runs for a delayed
// import. Called from the runtime's C code: nothing may be thrown out of it
// (building the fallback's path allocates).
FARPROC WINAPI loadDelayedImport(unsigned notification, PDelayLoadInfo info) noexcept {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  wchar_t name[MAX_PATH] = {};
  for (int i = 0; i < MAX_PATH - 1 && info->szDll[i]; ++i)
    name[i] = static_cast<unsigned char>(info->szDll[i]);  // import names are ASCII
  HMODULE module = nullptr;
  DWORD error = ERROR_NOT_ENOUGH_MEMORY;
  try {
    loadWhatItPulls(info->szDll);
    module = loadSystemLibrary(name);
    if (!module) error = GetLastError();
  } catch (...) {
  }
  if (!module) endWithoutLibrary(name, error);
  return reinterpret_cast<FARPROC>(module);
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

void loadSystemLibrariesFirst(std::initializer_list<const wchar_t*> fileNames) {
  for (const wchar_t* name : fileNames)
    if (!GetModuleHandleW(name)) loadSystemLibrary(name);  // never freed
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
