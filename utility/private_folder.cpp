#include "utility/private_folder.h"

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>  // FILE_CREATED

#include "utility/log.h"
#include "utility/native_file.h"
#include "utility/system_library.h"
#include "utility/text_compare.h"
#include "utility/ufile.h"
#include "utility/usystem.h"

namespace utility {
namespace {

// Owned by Administrators; full control for administrators and the system
// and nothing for anyone else; nothing inherited from the parent, which
// ordinary users may be able to change.
constexpr wchar_t kAdminsOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// A process that is not elevated cannot name Administrators as the owner;
// then it owns the folder itself (and guards nothing a user could not reach).
constexpr wchar_t kAdminsOnlyOwnedByCreator[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
constexpr LONG kInvalidOwner = static_cast<LONG>(0xC000005A);
// Without FILE_SHARE_DELETE nobody can rename or delete it while it is held.
// Without DELETE itself: others may then open it without sharing deletion,
// as a process does with its current folder (the package's is this one).
constexpr DWORD kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
// What lets a holder change a folder or what is in it, or its security.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                        FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Creates the folder and opens it in one step, so the handle is the folder
// that was made with this security, whatever happens to the name meanwhile.
// With FILE_OPEN_IF an existing folder is opened as it is (a link itself,
// never what it points to), and `created` tells which. A status of the system
// on failure.
LONG createAndOpen(const std::wstring& path, const wchar_t* security, ULONG disposition,
                   HANDLE* handle, bool* created) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(security, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return static_cast<LONG>(0xC0000001);  // STATUS_UNSUCCESSFUL
  native_file::Request request;
  request.name = path;
  request.access = kFolderAccess;
  request.sharing = kFolderSharing;
  request.disposition = disposition;
  request.options = FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;
  request.security = descriptor;
  ULONG_PTR outcome = 0;
  LONG status = native_file::open(request, handle, &outcome);
  LocalFree(descriptor);
  *created = status >= 0 && outcome == FILE_CREATED;
  return status;
}

FolderFacts::Owner ownerClass(PSID owner) {
  if (owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid))
    return FolderFacts::Owner::administrators;
  if (owner && IsWellKnownSid(owner, WinLocalSystemSid)) return FolderFacts::Owner::system;
  return FolderFacts::Owner::other;
}

// Whether an entry of `dacl` lets anyone but Administrators, the system and
// `owner` change the folder. Only plain allowing entries are read; any other
// kind that allows (object, callback) counts as letting others in.
bool othersMayChange(const ACL* dacl, PSID owner) {
  if (!dacl) return true;  // no DACL: everyone may do everything
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), index, &entry)) return true;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == SYSTEM_AUDIT_ACE_TYPE ||
        header->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE)
      continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    PSID who = const_cast<DWORD*>(&allowed->SidStart);
    bool trusted = IsWellKnownSid(who, WinBuiltinAdministratorsSid) ||
                   IsWellKnownSid(who, WinLocalSystemSid) || (owner && EqualSid(who, owner));
    if (!trusted && (allowed->Mask & kChangingRights)) return true;
  }
  return false;
}

// The owner and what the DACL allows, read from the open handle.
void readSecurity(HANDLE handle, FolderFacts& facts) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return;
  facts.owner = ownerClass(owner);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  facts.aclProtected = GetSecurityDescriptorControl(descriptor, &control, &revision) &&
                       (control & SE_DACL_PROTECTED);
  facts.othersMayChange = othersMayChange(dacl, owner);
  LocalFree(descriptor);
}

// A share for a network path, else the type of the volume the path lies on
// (a volume mounted in a folder is asked, not the drive the path begins with).
UINT driveTypeOf(const std::wstring& finalPath) {
  if (finalPath.rfind(L"\\\\", 0) == 0) return DRIVE_REMOTE;
  wchar_t volume[MAX_PATH] = {};
  if (finalPath.empty() || !GetVolumePathNameW(finalPath.c_str(), volume, MAX_PATH))
    return DRIVE_UNKNOWN;
  return GetDriveTypeW(volume);
}

}  // namespace

FolderFacts readFolderFacts(HANDLE handle) {
  FolderFacts facts;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(handle, &info)) {
    facts.isDirectory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.isReparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }
  using VolumeInformationFn = BOOL(WINAPI*)(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD,
                                            LPWSTR, DWORD);
  auto volumeInformation =
      loadedSystemFunction<VolumeInformationFn>(L"kernel32.dll", "GetVolumeInformationByHandleW");
  if (volumeInformation)
    volumeInformation(handle, nullptr, 0, nullptr, nullptr, &facts.volumeFlags, nullptr, 0);
  readSecurity(handle, facts);
  facts.systemKeepsOwners = !usystem::isWine();
  facts.finalPath = ufile::finalPathOf(handle);
  facts.driveType = driveTypeOf(facts.finalPath);
  return facts;
}

namespace {

std::wstring fullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

// Deletes with `attempt`, which answers ERROR_SUCCESS or why it could not.
// Anti-virus programs and indexers open new files for a moment: a deletion
// that meets one, or a folder whose last file is still going, is tried
// again for up to half a second. What still cannot be deleted (a program
// running from the folder) stays, and is logged.
template <typename Attempt>
void deleteWithRetries(const std::wstring& path, Attempt attempt) {
  DWORD error = ERROR_SUCCESS;
  for (int tries = 0; tries < 10; ++tries) {
    if (tries > 0) Sleep(50);
    error = attempt();
    if (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      return;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
        error != ERROR_DIR_NOT_EMPTY)
      break;
  }
  LOG(L"cannot delete %s, error = %d", path.c_str(), (int)error);
}

// Opens what `request` names and deletes it when it passes `isTheOne`.
template <typename Check>
DWORD deleteOpened(const native_file::Request& request, Check isTheOne) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  LONG status = native_file::open(request, &handle);
  if (status < 0) return native_file::errorOf(status);
  DWORD error = ERROR_SUCCESS;
  if (!isTheOne(handle))
    error = ERROR_FILE_NOT_FOUND;  // something else under its name by now: not ours
  else if (!native_file::deleteWhenClosed(handle))
    error = GetLastError();
  CloseHandle(handle);
  return error;
}

// Deletes the file `name` of the held `folder` through a handle of its own,
// opened relative to the folder without following a link.
void deleteFileIn(HANDLE folder, const std::wstring& folderPath, const std::wstring& name) {
  const native_file::Request request =
      native_file::forDeletion(folder, name, FILE_NON_DIRECTORY_FILE);
  deleteWithRetries(folderPath + name,
                    [&] { return deleteOpened(request, [](HANDLE) { return true; }); });
}

// The same file or folder: the same volume and file id.
bool sameObject(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Lets go of the folder and deletes it. Deleting needs a handle that may
// delete, which nobody may open while a handle that shares no deletion is
// open: the held one, or that of a process whose current folder it is (the
// package's). So the held handle goes first; the folder is then opened by
// its final path without following a link and deleted only when it is the
// very folder that was held. One that is not empty, still in use or no
// longer there stays for the next run's clean-up.
void closeAndRemove(HANDLE handle, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION held{};
  bool known = GetFileInformationByHandle(handle, &held);
  CloseHandle(handle);
  if (!known) return;
  const native_file::Request request =
      native_file::forDeletion(nullptr, path, FILE_DIRECTORY_FILE);
  deleteWithRetries(path, [&] {
    return deleteOpened(request, [&](HANDLE found) {
      BY_HANDLE_FILE_INFORMATION now{};
      return GetFileInformationByHandle(found, &now) && sameObject(held, now);
    });
  });
}

}  // namespace

const wchar_t* privateFolderRefusal(const FolderFacts& facts, const std::wstring& requestedPath) {
  if (!facts.isDirectory) return L"not a folder";
  if (facts.isReparsePoint) return L"a reparse point";
  if (!(facts.volumeFlags & FILE_PERSISTENT_ACLS)) return L"its volume keeps no ACLs";
  if (facts.driveType != DRIVE_FIXED) return L"not on a local fixed drive";
  if (facts.systemKeepsOwners && facts.owner == FolderFacts::Owner::other)
    return L"owned by neither Administrators nor the system";
  if (facts.othersMayChange) return L"its ACL lets others change it";
  if (facts.systemKeepsOwners && !facts.aclProtected) return L"its ACL is inherited";
  if (facts.finalPath.empty() || !sameTextIgnoringCase(facts.finalPath, requestedPath))
    return L"its final path differs from the one asked for";
  return nullptr;
}

PrivateFolder::PrivateFolder(std::wstring prefix, FactsHook hook)
    : prefix_(std::move(prefix)), hook_(hook) {}

bool PrivateFolder::create(const std::wstring& parent) {
  remove();
  std::wstring guid = usystem::newGuidString();
  if (parent.empty() || guid.empty()) return false;
  CreateDirectoryW(parent.c_str(), nullptr);  // a cleaned-up temp folder comes back
  return open(fullPath(parent + prefix_ + guid), FILE_CREATE);
}

bool PrivateFolder::openKept(const std::wstring& parent, const std::wstring& name) {
  remove();
  if (parent.empty() || name.empty()) return false;
  CreateDirectoryW(parent.c_str(), nullptr);
  kept_ = open(fullPath(parent + name), FILE_OPEN_IF);
  return kept_;
}

bool PrivateFolder::open(const std::wstring& path, ULONG disposition) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool created = false;
  LONG status = createAndOpen(path, kAdminsOnly, disposition, &handle, &created);
  if (status == kInvalidOwner)
    status = createAndOpen(path, kAdminsOnlyOwnedByCreator, disposition, &handle, &created);
  if (status < 0) {
    LOG(L"cannot make private folder %s, error = %d", path.c_str(),
        (int)native_file::errorOf(status));
    return false;
  }
  FolderFacts facts = readFolderFacts(handle);
  if (hook_) hook_(facts);
  if (const wchar_t* refusal = privateFolderRefusal(facts, path)) {
    LOG(L"private folder refused: %s: %s", path.c_str(), refusal);
    // What an earlier run (or anyone else) left there is not ours to delete.
    if (created)
      closeAndRemove(handle, facts.finalPath.empty() ? path : facts.finalPath);
    else
      CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  path_ = facts.finalPath + L"\\";
  return true;
}

void PrivateFolder::noteFile(const std::wstring& name) {
  if (exists()) files_.push_back(name);
}

void PrivateFolder::close() {
  if (!exists()) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  path_.clear();
  files_.clear();
  kept_ = false;
}

void PrivateFolder::remove() {
  kept_ = false;
  if (!exists()) return;
  for (const std::wstring& name : files_) deleteFileIn(handle_, path_, name);
  files_.clear();
  closeAndRemove(handle_, path_.substr(0, path_.size() - 1));
  handle_ = INVALID_HANDLE_VALUE;
  path_.clear();
}

}  // namespace utility
