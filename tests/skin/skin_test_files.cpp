#include "tests/skin/skin_test_files.h"

#include <windows.h>

#include "tests/support/test_support.h"

namespace skin_test {
namespace {

void walk(const std::wstring& root, const std::wstring& relative,
          std::map<std::wstring, std::string>& tree) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((root + L"\\" + relative + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[relative + name + L"/"] = "";
      walk(root, relative + name + L"/", tree);
    } else {
      tree[relative + name] = testing_support::readFile(root + L"\\" + relative + name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

std::wstring archivesDir() { return testing_support::exeFolder() + L"archives\\"; }

std::string archive(const std::wstring& name) {
  return testing_support::readFile(archivesDir() + name);
}

std::wstring sourceDir(const std::wstring& caseName) { return archivesDir() + L"src\\" + caseName; }

std::string sourceFile(const std::wstring& caseName, const std::wstring& relative) {
  return testing_support::readFile(sourceDir(caseName) + L"\\" + relative);
}

std::map<std::wstring, std::string> treeOf(const std::wstring& root) {
  std::map<std::wstring, std::string> tree;
  walk(root, L"", tree);
  return tree;
}

std::map<std::wstring, std::string> nonEmptyFiles(const std::map<std::wstring, std::string>& tree) {
  std::map<std::wstring, std::string> files;
  for (const auto& [name, bytes] : tree)
    if (!name.ends_with(L"/") && !bytes.empty()) files[name] = bytes;
  return files;
}

}  // namespace skin_test

#include "tests/skin/skin_state.h"

namespace skin_test {

FileBesideProgram::FileBesideProgram(const std::wstring& name, const std::string& bytes)
    : path_(testing_support::exeFolder() + name) {
  testing_support::writeFile(path_, bytes);
}

FileBesideProgram::~FileBesideProgram() { DeleteFileW(path_.c_str()); }

std::string zipResource(HMODULE module, UINT id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"ZIPRES");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (!loaded) return {};
  return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
}

}  // namespace skin_test
