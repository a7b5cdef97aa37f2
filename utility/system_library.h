// Loading the system's own DLLs without looking anywhere a user can write.
// The program runs elevated and is started from the Downloads folder, where
// anyone can leave a DLL named like one of Windows': nothing may ever be
// loaded from there, nor from the current folder.
//
// The imports that are not on Windows' KnownDLLs list are delay-loaded
// (cmake/delay_load.cmake): the first call of one of their functions loads
// the DLL through loadSystemLibrary, never by the loader's default search.
// When the system folder cannot give it, the process ends (and logs why)
// rather than let the runtime look for it by its bare name.
//
// System libraries also load DLLs by name for themselves (GDI+ its image
// codecs, wintrust an image helper). Windows applies the locked
// search to those too, but Wine's loader does not, nor does Windows' own
// before its loader update: they would look beside the program first. A DLL
// already loaded is taken as it is, so those DLLs are loaded first by their
// full paths, at the point of need: with a delay-loaded library, when it is
// loaded (the table in system_library.cpp); before what leads the other
// libraries to them, by loadSystemLibrariesFirst.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

namespace utility {

// The program's first call: DLLs loaded by name come from the system folder
// only, and the current folder is never searched. True when the system could
// restrict the default search (Windows 8, and 7 or Vista with the loader
// update); loadSystemLibrary is safe either way. Looked up at run time, so
// that older systems still load the program far enough to refuse them.
bool lockDllSearchToSystemFolder();

// Loads a DLL of the system folder by its file name ("wininet.dll"); null
// when it is not there. Any thread.
HMODULE loadSystemLibrary(const wchar_t* fileName);

// Loads the system folder's DLLs of these file names by their full paths,
// and keeps them loaded, unless one of that name is loaded already: a system
// library that then loads one by its bare name takes the loaded one. Names
// the system lacks are passed over. Any thread.
void loadSystemLibrariesFirst(std::initializer_list<const wchar_t*> fileNames);

// The system folder followed by a back-slash and `fileName`; empty when the
// system cannot tell its folder.
std::wstring systemFilePath(const wchar_t* fileName);

// Loads a DLL by its full path; the DLLs it needs come from its own folder
// and the system folder, never from beside the program. Null when it cannot.
HMODULE loadLibraryFromFolder(const std::wstring& fullPath);

// A function of a system DLL this process has already loaded (kernel32,
// ntdll, advapi32: the program imports them), looked up by name because
// older systems lack it; null when the system has none. Loads nothing.
FARPROC loadedSystemFunction(const wchar_t* module, const char* name);
template <typename Function>
Function loadedSystemFunction(const wchar_t* module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(loadedSystemFunction(module, name)));
}

}  // namespace utility
