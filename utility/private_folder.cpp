#include "utility/private_folder.h"

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include "utility/log.h"
#include "utility/system_library.h"
#include "utility/text_compare.h"
#include "utility/ufile.h"
#include "utility/usystem.h"

namespace utility {
namespace {

// Owned by Administrators; full control for administrators and the system,
// reading and running for users; nothing inherited from the parent, which
// ordinary users may be able to change.
constexpr wchar_t kAdminsOnly[] =
    L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
// A process that is not elevated cannot name Administrators as the owner;
// then it owns the folder itself (and guards nothing a user could not reach).
constexpr wchar_t kAdminsOnlyOwnedByCreator[] =
    L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
constexpr NTSTATUS kInvalidOwner = static_cast<NTSTATUS>(0xC000005A);
// Without FILE_SHARE_DELETE nobody can rename or delete it while it is held.
constexpr DWORD kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

// "\??\C:\..." or "\??\UNC\server\share\...".
std::wstring ntPath(const std::wstring& path) {
  if (path.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

// Creates the folder and opens it in one step, so the handle is the folder
// that was made with this security, whatever happens to the name meanwhile.
// With FILE_OPEN_IF an existing folder is opened as it is (a link itself,
// never what it points to), and `created` tells which. A status of the system
// on failure.
NTSTATUS createAndOpen(const std::wstring& path, const wchar_t* security, ULONG disposition,
                       HANDLE* handle, bool* created) {
  auto ntCreateFile = loadedSystemFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ntCreateFile || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                           security, SDDL_REVISION_1, &descriptor, nullptr))
    return static_cast<NTSTATUS>(0xC0000001);  // STATUS_UNSUCCESSFUL
  std::wstring name = ntPath(path);
  UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                      static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  attributes.ObjectName = &text;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  attributes.SecurityDescriptor = descriptor;
  IO_STATUS_BLOCK io{};
  NTSTATUS status = ntCreateFile(
      handle, kFolderAccess, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, kFolderSharing,
      disposition, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT,
      nullptr, 0);
  LocalFree(descriptor);
  *created = status >= 0 && io.Information == FILE_CREATED;
  return status;
}

DWORD errorOf(NTSTATUS status) {
  auto toError = loadedSystemFunction<StatusToErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
  return toError ? toError(status) : static_cast<DWORD>(status);
}

FolderFacts::Owner ownerOf(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS)
    return FolderFacts::Owner::other;
  FolderFacts::Owner result = FolderFacts::Owner::other;
  if (owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid))
    result = FolderFacts::Owner::administrators;
  else if (owner && IsWellKnownSid(owner, WinLocalSystemSid))
    result = FolderFacts::Owner::system;
  LocalFree(descriptor);
  return result;
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
  facts.owner = ownerOf(handle);
  facts.systemKeepsOwners = !usystem::isWine();
  facts.finalPath = ufile::finalPathOf(handle);
  return facts;
}

namespace {

std::wstring fullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

// Deletes with `deleteOnce`, which says whether it deleted. Anti-virus
// programs and indexers open new files for a moment: a deletion that meets
// one is tried again for up to half a second. What still cannot be deleted
// (a program running from the folder) is left for the next restart.
template <typename Delete>
void deleteNowOrAtRestart(const std::wstring& path, Delete deleteOnce) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (attempt > 0) Sleep(50);
    if (deleteOnce()) return;
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) break;
  }
  if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    LOG(L"left for deletion at restart: %s, error = %d", path.c_str(), (int)error);
  else
    LOG(L"cannot delete %s, error = %d", path.c_str(), (int)GetLastError());
}

// Lets go of the folder and removes it. Its files are gone by then; should
// someone put another folder or a junction under its name in between, that
// is what gets removed (a junction goes without what it points to), and only
// when it is empty.
void closeAndRemove(HANDLE handle, const std::wstring& path) {
  CloseHandle(handle);
  deleteNowOrAtRestart(path, [&] { return RemoveDirectoryW(path.c_str()) != FALSE; });
}

}  // namespace

const wchar_t* privateFolderRefusal(const FolderFacts& facts, const std::wstring& requestedPath) {
  if (!facts.isDirectory) return L"not a folder";
  if (facts.isReparsePoint) return L"a reparse point";
  if (!(facts.volumeFlags & FILE_PERSISTENT_ACLS)) return L"its volume keeps no ACLs";
  if (facts.systemKeepsOwners && facts.owner == FolderFacts::Owner::other)
    return L"owned by neither Administrators nor the system";
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
  NTSTATUS status = createAndOpen(path, kAdminsOnly, disposition, &handle, &created);
  if (status == kInvalidOwner)
    status = createAndOpen(path, kAdminsOnlyOwnedByCreator, disposition, &handle, &created);
  if (status < 0) {
    LOG(L"cannot make private folder %s, error = %d", path.c_str(), (int)errorOf(status));
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
  // The files go while the folder is still held, so the names reach them.
  for (const std::wstring& name : files_) {
    std::wstring file = path_ + name;
    deleteNowOrAtRestart(file, [&] { return DeleteFileW(file.c_str()) != FALSE; });
  }
  files_.clear();
  closeAndRemove(handle_, path_.substr(0, path_.size() - 1));
  handle_ = INVALID_HANDLE_VALUE;
  path_.clear();
}

}  // namespace utility
