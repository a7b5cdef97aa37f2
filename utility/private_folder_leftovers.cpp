// Private folders that earlier runs could not remove: the offer library was
// still mapped, a package was still running. Ordinary users cannot delete
// them, so each run clears what it can of the earlier ones.
#include <cwctype>
#include <vector>

#include "utility/log.h"
#include "utility/native_file.h"
#include "utility/private_folder.h"

namespace utility {
namespace {

// Held without FILE_SHARE_DELETE from the checks to the end: nobody can
// rename it and put something else under its name while it is emptied, and
// DELETE lets it go through this handle.
constexpr DWORD kHeldAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES |
                              READ_CONTROL | DELETE | SYNCHRONIZE;

// What makes a leftover old enough to go: made before a time (a folder of an
// earlier run), or unused since a time (a kept folder nobody came back for).
struct Age {
  FILETIME before;
  bool byLastUse;
};

// Made before the age's time, or (by last use) neither the folder's list nor
// any file in it written since.
bool oldEnough(HANDLE folder, const Age& age) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder, &info)) return false;
  if (!age.byLastUse) return CompareFileTime(&info.ftCreationTime, &age.before) < 0;
  if (CompareFileTime(&info.ftLastWriteTime, &age.before) >= 0) return false;
  for (const native_file::FolderEntry& entry : native_file::entriesOf(folder))
    if (CompareFileTime(&entry.written, &age.before) >= 0) return false;
  return true;
}

// The folder at `path`, held, when it is an earlier run's private folder;
// INVALID_HANDLE_VALUE otherwise.
HANDLE openLeftover(const std::wstring& path, const Age& age, PrivateFolder::FactsHook hook) {
  HANDLE handle =
      CreateFileW(path.c_str(), kHeldAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;  // in use, or not ours to open
  FolderFacts facts = readFolderFacts(handle);
  if (hook) hook(facts);
  const wchar_t* refusal = privateFolderRefusal(facts, path);
  if (!refusal && oldEnough(handle, age)) return handle;
  if (refusal) LOG(L"leftover left alone: %s: %s", path.c_str(), refusal);
  CloseHandle(handle);
  return INVALID_HANDLE_VALUE;
}

// Deletes the entry `name` of the held folder when it is a plain file of it:
// opened relative to the folder as itself (a link is not followed), and
// checked through that handle to be no link, no folder and no file with
// another name elsewhere. A program running from it stays.
void deletePlainFile(HANDLE folder, const std::wstring& name) {
  HANDLE file = INVALID_HANDLE_VALUE;
  if (native_file::open(native_file::forDeletion(folder, name, FILE_NON_DIRECTORY_FILE), &file) < 0)
    return;
  if (native_file::isPlainFileIn(file, folder, name)) native_file::deleteWhenClosed(file);
  CloseHandle(file);
}

// One folder: checked as a private folder, emptied of its plain files and
// removed, all through the one handle held from the checks on.
void removeLeftover(const std::wstring& path, const Age& age, PrivateFolder::FactsHook hook) {
  HANDLE held = openLeftover(path, age, hook);
  if (held == INVALID_HANDLE_VALUE) return;
  for (const native_file::FolderEntry& entry : native_file::entriesOf(held)) {
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    deletePlainFile(held, entry.name);
  }
  // An emptied folder goes when the handle closes; one with anything left stays.
  if (native_file::entriesOf(held).empty() && native_file::deleteWhenClosed(held))
    LOG(L"leftover removed: %s", path.c_str());
  CloseHandle(held);
}

// The entries of `folder` (ending with a back-slash) whose names start with
// `prefix`.
std::vector<native_file::FolderEntry> entriesOf(const std::wstring& folder,
                                                const std::wstring& prefix) {
  std::vector<native_file::FolderEntry> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    entries.push_back({found.cFileName, found.dwFileAttributes, found.ftLastWriteTime});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

}  // namespace

bool isPrivateFolderName(const std::wstring& name, const std::wstring& prefix) {
  // The GUID's groups of hexadecimal digits, joined by "_".
  static const wchar_t kShape[] = L"xxxxxxxx_xxxx_xxxx_xxxx_xxxxxxxxxxxx";
  const size_t length = sizeof(kShape) / sizeof(wchar_t) - 1;
  if (name.size() != prefix.size() + length || name.compare(0, prefix.size(), prefix) != 0)
    return false;
  for (size_t at = 0; at < length; ++at) {
    wchar_t c = name[prefix.size() + at];
    bool fits = kShape[at] == L'_' ? c == L'_' : iswxdigit(c) != 0;
    if (!fits) return false;
  }
  return true;
}

namespace {

// Removes the folders in `parent` whose names start with `start` and that
// `named` accepts, links left out, when old enough by `age`.
template <typename Named>
void removeFoldersNamed(const std::wstring& parent, const std::wstring& start, Named named,
                        const Age& age, PrivateFolder::FactsHook hook) {
  if (parent.empty() || start.empty()) return;
  for (const native_file::FolderEntry& entry : entriesOf(parent, start)) {
    bool plainFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (plainFolder && named(entry.name)) removeLeftover(parent + entry.name, age, hook);
  }
}

}  // namespace

void removeLeftoverFolders(const std::wstring& parent, const std::wstring& prefix,
                           const FILETIME& madeBefore, PrivateFolder::FactsHook hook) {
  removeFoldersNamed(
      parent, prefix, [&](const std::wstring& name) { return isPrivateFolderName(name, prefix); },
      Age{madeBefore, false}, hook);
}

void removeAbandonedFolder(const std::wstring& parent, const std::wstring& name,
                           const FILETIME& unusedSince, PrivateFolder::FactsHook hook) {
  removeFoldersNamed(
      parent, name, [&](const std::wstring& found) { return found == name; },
      Age{unusedSince, true}, hook);
}

}  // namespace utility
