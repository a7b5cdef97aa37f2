// Puts the process-wide skin state (resource map and language table) back to a known start
// for each test: this program as the instance, no loose skin folder, an empty
// resource map and text map, English as the language, no table beside it.
#pragma once
#include <windows.h>

#include <string>

#include "skin/language_table.h"
#include "skin/resource_map.h"

namespace skin_test {

// The fixture archive (archives/fixture_skin.7z) and the shipped skin archive
// that skin_tests.rc embeds in this program.
inline constexpr UINT kFixtureSkinId = 129;
inline constexpr UINT kShippedSkinId = 130;

inline void resetSkinState() {
  DuiLib::setInstance(GetModuleHandleW(nullptr));
  // A table left beside the program by an interrupted run would win over the
  // embedded one.
  DeleteFileW((DuiLib::instancePath() + L"language.tsv").c_str());
  DuiLib::setResourcePath(L"");
  DuiLib::clearResourceMap();
  DuiLib::clearLangTexts();
  DuiLib::keepEmbeddedTexts({});
  DuiLib::setLanguage(L"", L"en_US");
}

// A file written beside this program for one test, removed afterwards.
class FileBesideProgram {
 public:
  FileBesideProgram(const std::wstring& name, const std::string& bytes);
  ~FileBesideProgram();
  FileBesideProgram(const FileBesideProgram&) = delete;
  FileBesideProgram& operator=(const FileBesideProgram&) = delete;

 private:
  std::wstring path_;
};

// The bytes of one of this program's "ZIPRES" resources.
std::string zipResource(HMODULE module, UINT id);

}  // namespace skin_test
