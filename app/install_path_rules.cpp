#include "app/install_path_rules.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlwapi.h>

#include <cwctype>

namespace {

void replaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  // Repeated until none is left, so "\\\" also ends as one back-slash.
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from))
    text.replace(at, from.size(), to);
}

std::wstring trimSpaces(const std::wstring& text) {
  size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::wstring lowerCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool endsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool rootHasFreeSpace(const std::wstring& root) {
  ULARGE_INTEGER available{};
  return GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr) && available.QuadPart != 0;
}

std::wstring normalizePathForCheck(const std::wstring& path) {
  std::wstring text = lowerCase(path);
  replaceAll(text, L"/", L"\\");
  replaceAll(text, L"\\\\", L"\\");
  size_t first = text.find_first_not_of(L'\\');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L'\\') - first + 1);
}

bool isValidInstallPath(const std::wstring& path, const RootHasSpace& rootHasSpace) {
  std::wstring text = trimSpaces(normalizePathForCheck(path));
  if (text.size() < 3) return false;
  if (!rootHasSpace || !rootHasSpace(text.substr(0, 3))) return false;
  std::wstring folders = trimSpaces(text.substr(3));
  if (folders.find_first_of(L"/:*?\"<>|") != std::wstring::npos) return false;
  // Every name before a back-slash must be more than blanks; the last is not asked.
  for (size_t start = 0, slash = folders.find(L'\\'); slash != std::wstring::npos;
       start = slash + 1, slash = folders.find(L'\\', start)) {
    if (trimSpaces(folders.substr(start, slash - start)).empty()) return false;
  }
  return true;
}

void normalizeInstallPath(std::wstring& path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  // One pass from the left: a run of three keeps two.
  for (size_t at = path.find(L"\\\\"); at != std::wstring::npos; at = path.find(L"\\\\", at + 2)) {
    path.replace(at, 2, L"\\");
  }
  path = trimSpaces(path);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
}

std::wstring toBackslashes(const std::wstring& path) {
  std::wstring text = path;
  if (text.size() >= 2 && text[0] == L'/') {
    size_t run = text.find_first_not_of(L'/');
    text.erase(0, (run == std::wstring::npos ? text.size() : run) - 1);
  }
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  return text;
}

std::wstring toSlashForm(const std::wstring& text) {
  std::wstring slashed = text;
  for (wchar_t& c : slashed) {
    if (c == L'\\') c = L'/';
  }
  if (slashed.rfind(L"//:", 0) == 0) slashed.erase(0, 3);
  return slashed;
}

std::wstring completeInstallPath(const std::wstring& candidate, const ProductFolderNames& names,
                                 const RootHasSpace& rootHasSpace) {
  std::wstring text = candidate;
  if (!text.empty() && text.back() != L'\\') text += L'\\';
  if (PathIsRootW(text.c_str())) {
    text += names.defaultSubPath;
  } else if (endsWith(lowerCase(text), L"nuvaro\\")) {
    text += names.playerFolder;
  } else if (text.find(names.productName, 1) == std::wstring::npos &&
             text.find(L"vdplayer", 1) == std::wstring::npos) {
    text += names.defaultSubPath;
  }
  if (isValidInstallPath(text, rootHasSpace)) normalizeInstallPath(text);
  return text;
}

PathAdvice adviseOnPath(const PathChoice& choice) {
  const std::wstring& best = choice.bestPath;
  if (best.size() >= 3 && choice.path.compare(0, 2, best, 0, 2) == 0)
    return PathAdvice::kSameBestDrive;
  if (choice.ask && choice.bestIsSsd && !best.empty() &&
      !(choice.chosenIsSsd && choice.chosenIsSsd()))
    return PathAdvice::kDrivePrompt;
  double usable = choice.chosenUsableMB ? choice.chosenUsableMB() : 0.0;
  if (usable < kAdvisedFreeMB) return PathAdvice::kSpacePrompt;
  return PathAdvice::kNone;
}

std::wstring fillDriveLetters(const std::wstring& format,
                              const std::vector<std::wstring>& letters) {
  std::wstring text;
  size_t next = 0;
  for (size_t at = 0; at < format.size(); ++at) {
    if (format.compare(at, 2, L"%s") == 0 && next < letters.size()) {
      text += letters[next++];
      ++at;
    } else {
      text += format[at];
    }
  }
  return text;
}
