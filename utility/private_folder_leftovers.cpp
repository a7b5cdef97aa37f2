// Private folders that earlier runs could not remove: the offer library was
// still mapped, a package was still running. Ordinary users cannot delete
// them, so each run clears what it can of the earlier ones.
#include <cwctype>
#include <vector>

#include "utility/log.h"
#include "utility/private_folder.h"
#include "utility/system_library.h"

namespace utility {
namespace {

// Held without FILE_SHARE_DELETE: nobody can rename it and put something else
// under its name while it is emptied or removed.
constexpr DWORD kListAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;

struct Entry {
  std::wstring name;
  DWORD attributes;
  FILETIME written;
};

// What makes a leftover old enough to go: made before a time (a folder of an
// earlier run), or unused since a time (a kept folder nobody came back for).
struct Age {
  FILETIME before;
  bool byLastUse;
};

// The entries of `folder` (ending with a back-slash) whose names start with
// `prefix`, "." and ".." left out.
std::vector<Entry> entriesOf(const std::wstring& folder, const std::wstring& prefix) {
  std::vector<Entry> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      entries.push_back({name, found.dwFileAttributes, found.ftLastWriteTime});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

// Made before the age's time, or (by last use) neither the folder's list nor
// any file in it written since.
bool oldEnough(HANDLE folder, const std::wstring& path, const Age& age) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder, &info)) return false;
  if (!age.byLastUse) return CompareFileTime(&info.ftCreationTime, &age.before) < 0;
  if (CompareFileTime(&info.ftLastWriteTime, &age.before) >= 0) return false;
  for (const Entry& entry : entriesOf(path + L"\\", L""))
    if (CompareFileTime(&entry.written, &age.before) >= 0) return false;
  return true;
}

// The folder at `path` opened for `access`, when it is an earlier run's
// private folder; INVALID_HANDLE_VALUE otherwise.
HANDLE openLeftover(const std::wstring& path, DWORD access, const Age& age,
                    PrivateFolder::FactsHook hook) {
  HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;  // in use, or not ours to open
  FolderFacts facts = readFolderFacts(handle);
  if (hook) hook(facts);
  const wchar_t* refusal = privateFolderRefusal(facts, path);
  if (!refusal && oldEnough(handle, path, age)) return handle;
  if (refusal) LOG(L"leftover left alone: %s: %s", path.c_str(), refusal);
  CloseHandle(handle);
  return INVALID_HANDLE_VALUE;
}

// Deletes the empty folder by its handle where the system can (Vista and
// later); else by its name, once let go.
bool removeEmpty(HANDLE handle, const std::wstring& path) {
  using SetInformationFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  auto setInformation =
      loadedSystemFunction<SetInformationFn>(L"kernel32.dll", "SetFileInformationByHandle");
  FILE_DISPOSITION_INFO disposition{TRUE};
  bool removed = setInformation &&
                 setInformation(handle, FileDispositionInfo, &disposition, sizeof(disposition));
  CloseHandle(handle);
  if (!setInformation) removed = RemoveDirectoryW(path.c_str()) != FALSE;
  return removed;
}

// One folder: checked as a private folder, emptied of its plain files, then
// checked again and removed.
void removeLeftover(const std::wstring& path, const Age& age, PrivateFolder::FactsHook hook) {
  HANDLE held = openLeftover(path, kListAccess, age, hook);
  if (held == INVALID_HANDLE_VALUE) return;
  const std::wstring inside = path + L"\\";
  for (const Entry& entry : entriesOf(inside, L"")) {
    // Plain files only: a link is never followed, nor deleted.
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    DeleteFileW((inside + entry.name).c_str());  // a program running from it stays
  }
  CloseHandle(held);
  // Emptying it was a use: what is asked now is only that it is that old.
  held = openLeftover(path, kListAccess | DELETE, Age{age.before, false}, hook);
  if (held != INVALID_HANDLE_VALUE && removeEmpty(held, path))
    LOG(L"leftover removed: %s", path.c_str());
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
  for (const Entry& entry : entriesOf(parent, start)) {
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
