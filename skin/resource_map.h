// The skin's files: unpacked once at start from the embedded 7z archive into a
// map from archive name to bytes, with a loose "skin" folder beside the program
// overriding single files. Filled on the UI thread before the first window;
// only read afterwards.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace DuiLib {

// The id of the skin archive among the executable's "ZIPRES" resources.
inline constexpr UINT kSkinResourceId = 129;

// Remembers the module whose resources hold the skin, and the Windows version.
void setInstance(HINSTANCE instance);
HINSTANCE instance();
// The Windows major version learnt by setInstance (0 before it).
DWORD windowsMajorVersion();
// The module's folder, ending with a back-slash; empty before setInstance.
std::wstring instancePath();
// Sets the loose skin folder; it stays empty when nothing exists at that path.
void setResourcePath(const std::wstring& path);
std::wstring resourcePath();

// Unpacks the "ZIPRES" resource `id` into the map, then loads the language
// table named `languageFile`.
void loadZipResource(UINT id, const std::wstring& languageFile);
// Stores one unpacked file under its archive name (an un7z entry callback).
void addZipEntry(const wchar_t* name, const uint8_t* data, int32_t size);

// A copy of a skin file's bytes: the loose file when there is a non-empty one,
// else the map's entry (back-slashes in `name` find slash keys). Null with
// size 0 when neither has it.
std::unique_ptr<uint8_t[]> loadResourceData(const std::wstring& name, uint32_t& size);

// A copy of the embedded skin's own file (the map's entry), whatever loose
// files say. Null with size 0 when the map has none.
std::unique_ptr<uint8_t[]> loadEmbeddedResourceData(const std::wstring& name, uint32_t& size);

// Empties the map. For tests; the program never calls it.
void clearResourceMap();

}  // namespace DuiLib
