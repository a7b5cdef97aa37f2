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
    if (name != L"." && name != L"..") entries.push_back({name, found.dwFileAttributes});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

bool madeEarlier(HANDLE folder, const FILETIME& madeBefore) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(folder, &info) &&
         CompareFileTime(&info.ftCreationTime, &madeBefore) < 0;
}

// The folder at `path` opened for `access`, when it is an earlier run's
// private folder; INVALID_HANDLE_VALUE otherwise.
HANDLE openLeftover(const std::wstring& path, DWORD access, const FILETIME& madeBefore,
                    PrivateFolder::FactsHook hook) {
  HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;  // in use, or not ours to open
  FolderFacts facts = readFolderFacts(handle);
  if (hook) hook(facts);
  const wchar_t* refusal = privateFolderRefusal(facts, path);
  if (!refusal && madeEarlier(handle, madeBefore)) return handle;
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
void removeLeftover(const std::wstring& path, const FILETIME& madeBefore,
                    PrivateFolder::FactsHook hook) {
  HANDLE held = openLeftover(path, kListAccess, madeBefore, hook);
  if (held == INVALID_HANDLE_VALUE) return;
  const std::wstring inside = path + L"\\";
  for (const Entry& entry : entriesOf(inside, L"")) {
    // Plain files only: a link is never followed, nor deleted.
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    DeleteFileW((inside + entry.name).c_str());  // a program running from it stays
  }
  CloseHandle(held);
  held = openLeftover(path, kListAccess | DELETE, madeBefore, hook);
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

void removeLeftoverFolders(const std::wstring& parent, const std::wstring& prefix,
                           const FILETIME& madeBefore, PrivateFolder::FactsHook hook) {
  if (parent.empty() || prefix.empty()) return;
  for (const Entry& entry : entriesOf(parent, prefix)) {
    bool plainFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (plainFolder && isPrivateFolderName(entry.name, prefix))
      removeLeftover(parent + entry.name, madeBefore, hook);
  }
}

}  // namespace utility
