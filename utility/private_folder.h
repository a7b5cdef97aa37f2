// A folder only administrators and the system can change, for what this
// elevated program runs or loads: the downloaded package, the offer library.
// It is made new under a unique name, with its security set as it is created
// and opened in the same step, and held open until it is removed, so that
// nobody can rename it and put another in its place. It is refused (and
// nothing of it is left) when it is a reparse point, lies on a volume that
// keeps no ACLs or on anything but a local fixed drive, has an owner other
// than Administrators or the system, an ACL that lets anyone else change it
// or one inherited from its parent, or when its final path is not the path
// asked for: a junction or a redirected folder on the way. Every later step
// uses the held handle: files in it are opened relative to it and deleted
// through their own handles, never by a path. One thread at a time.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace utility {

// What the checks read from the folder's open handle.
struct FolderFacts {
  enum class Owner { administrators, system, other };
  bool isDirectory = false;
  bool isReparsePoint = false;
  DWORD volumeFlags = 0;            // GetVolumeInformationByHandleW's flags
  UINT driveType = DRIVE_UNKNOWN;   // of its final path's volume; a share is DRIVE_REMOTE
  Owner owner = Owner::other;
  // Wine reports the creating user as every file's owner and keeps no ACL of
  // its own (it makes one from the Unix mode, never protected).
  bool systemKeepsOwners = true;
  bool aclProtected = false;        // its DACL inherits nothing from the parent
  // An entry of its DACL (or a missing DACL) lets someone other than
  // Administrators, the system and its owner write, add or delete in it, or
  // change its security.
  bool othersMayChange = true;
  std::wstring finalPath;           // without "\\?\" and without a closing back-slash
};

// Why a folder with these facts may not be used for `requestedPath` (no
// closing back-slash), or null when it may.
const wchar_t* privateFolderRefusal(const FolderFacts& facts, const std::wstring& requestedPath);

// What the checks read from a folder's open handle (its owner, attributes,
// volume and final path).
FolderFacts readFolderFacts(HANDLE folder);

class PrivateFolder {
 public:
  // Lets a test change what the checks see (a volume without ACLs, say).
  using FactsHook = void (*)(FolderFacts& facts);

  // Folders are named `prefix` followed by a new GUID.
  explicit PrivateFolder(std::wstring prefix, FactsHook hook = nullptr);
  // A folder made for this run goes with the object; a kept one stays.
  ~PrivateFolder() {
    if (kept_) close();
    else remove();
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Makes and holds a new folder in `parent` (which ends with a back-slash
  // and is made when missing). False, with nothing left, when it cannot or
  // the folder is refused; the refusal is logged.
  bool create(const std::wstring& parent);
  // Opens the folder `name` in `parent` that an earlier run kept there, or
  // makes it as create() does when there is none, and holds it: for what is
  // to outlive the run. An existing folder gets the same checks as a new one;
  // one that fails them (a junction, another owner, a volume without ACLs) is
  // left as it is, and nothing in it or behind it is touched. Such a folder
  // stays when the object goes; only remove() deletes it.
  bool openKept(const std::wstring& parent, const std::wstring& name);
  bool exists() const { return handle_ != INVALID_HANDLE_VALUE; }
  // The folder's final path with a closing back-slash; empty when none is held.
  const std::wstring& path() const { return path_; }
  // Remembers a file of the folder (a name in it, or a path below it) for
  // removal: only files put there on purpose are ever deleted.
  void noteFile(const std::wstring& name);
  // Deletes the noted files and the folder, each through a handle opened
  // relative to the held folder (a link is deleted as itself, never
  // followed). What cannot be deleted now (a program still running from it)
  // stays for the next run's clean-up (removeLeftoverFolders).
  void remove();
  // Lets go of the folder and leaves it and its files where they are.
  void close();

 private:
  // `disposition`: FILE_CREATE for a new folder, FILE_OPEN_IF for a kept one.
  bool open(const std::wstring& path, ULONG disposition);

  std::wstring prefix_;
  FactsHook hook_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
  std::vector<std::wstring> files_;
  bool kept_ = false;
};

// A name this program gives its private folders: `prefix` and a GUID as
// usystem::newGuidString writes it ("Setup_0A1B2C3D_..."), and nothing else.
bool isPrivateFolderName(const std::wstring& name, const std::wstring& prefix);

// Removes what earlier runs left of their private folders (named as above)
// in `parent`, which ends with a back-slash: a library or a package still
// mapped or running when they ended. Only folders made before `madeBefore`
// that pass a private folder's checks are touched, through one handle held
// from the checks to the end; in them only plain files are deleted (no
// links, no hard-linked files, no folders), each opened relative to that
// handle, and the folder goes when that empties it. What is still in use
// stays. Any thread.
void removeLeftoverFolders(const std::wstring& parent, const std::wstring& prefix,
                           const FILETIME& madeBefore, PrivateFolder::FactsHook hook = nullptr);

// Removes the kept folder `name` in `parent` (PrivateFolder::openKept) when
// nothing of it has been written since `unusedSince`, in the same way and
// with the same checks as the leftovers above. Any thread.
void removeAbandonedFolder(const std::wstring& parent, const std::wstring& name,
                           const FILETIME& unusedSince, PrivateFolder::FactsHook hook = nullptr);

}  // namespace utility
