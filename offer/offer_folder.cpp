#include "offer/offer_folder.h"

#include <sddl.h>

#include "utility/usystem.h"

namespace offer {
namespace {

// Full control for administrators and the system, reading and running for
// users; nothing inherited from the user-writable parent.
constexpr wchar_t kAdminsOnly[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

bool makeAdminsOnlyFolder(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  // A folder of that name already there is not ours: it is refused.
  bool made = CreateDirectoryW(path.c_str(), &attributes) != FALSE;
  LocalFree(descriptor);
  return made;
}

}  // namespace

bool OfferFolder::create(const std::wstring& parent) {
  remove();
  std::wstring guid = utility::usystem::newGuidString();
  if (parent.empty() || guid.empty()) return false;
  CreateDirectoryW(parent.c_str(), nullptr);  // a cleaned-up temp folder comes back
  std::wstring path = parent + L"Setup_" + guid;
  if (!makeAdminsOnlyFolder(path)) return false;
  // Without FILE_SHARE_DELETE nobody can rename or delete it while it is open.
  handle_ = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    RemoveDirectoryW(path.c_str());
    return false;
  }
  path_ = path + L"\\";
  return true;
}

void OfferFolder::noteUnpacked() {
  unpacked_.clear();
  if (path_.empty()) return;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path_ + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) unpacked_.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void OfferFolder::remove() {
  if (path_.empty()) return;
  // The files go while the folder is still held, so the names reach these files.
  for (const std::wstring& name : unpacked_) DeleteFileW((path_ + name).c_str());
  unpacked_.clear();
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  RemoveDirectoryW(path_.c_str());
  path_.clear();
}

}  // namespace offer
