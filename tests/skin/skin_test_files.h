// The archives and source trees that make_test_archives.py leaves beside the
// test program, and a way to compare folder trees.
#pragma once
#include <map>
#include <string>

namespace skin_test {

// The test program's "archives\" folder.
std::wstring archivesDir();
// The bytes of archives\<name>.
std::string archive(const std::wstring& name);
// archives\src\<caseName>: the files a case's archive was made from.
std::wstring sourceDir(const std::wstring& caseName);
std::string sourceFile(const std::wstring& caseName, const std::wstring& relative);

// Every file and folder below `root`, named relative to it with "/" between
// levels; folders end with "/" and map to an empty string, files to their bytes.
std::map<std::wstring, std::string> treeOf(const std::wstring& root);
// The files of a tree that are not empty, as extractToCallback hands them over.
std::map<std::wstring, std::string> nonEmptyFiles(const std::map<std::wstring, std::string>& tree);

}  // namespace skin_test
