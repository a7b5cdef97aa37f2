// Files and folders reached through the system's native calls (ntdll), for
// the elevated program's work in folders it holds: a name is opened relative
// to the held folder's handle, never by a path that someone could redirect
// meanwhile, and a link is opened as itself rather than followed. Any thread.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace utility::native_file {

// What NtCreateFile is asked; the flags are its own (FILE_OPEN, FILE_CREATE,
// FILE_DIRECTORY_FILE, FILE_OPEN_REPARSE_POINT...).
struct Request {
  HANDLE folder = nullptr;  // the held folder `name` lies in; none: `name` is a full path
  // A name in the folder (or a path below it; empty: the folder itself, once
  // more), else a full path.
  std::wstring name;
  ACCESS_MASK access = 0;
  ULONG sharing = 0;
  ULONG disposition = 0;
  ULONG options = 0;  // FILE_SYNCHRONOUS_IO_NONALERT is always added
  PSECURITY_DESCRIPTOR security = nullptr;  // for what is created
};

// What opens `name` (in `folder`; without one, a full path) to delete it:
// DELETE access, all sharing, and a link opened as itself, never followed.
// `options` says FILE_DIRECTORY_FILE or FILE_NON_DIRECTORY_FILE.
Request forDeletion(HANDLE folder, const std::wstring& name, ULONG options);

// Opens or creates what the request names. The system's status (negative
// on failure), with `handle` set only on success, and `outcome`, when given,
// what was done (FILE_CREATED, FILE_OPENED...).
LONG open(const Request& request, HANDLE* handle, ULONG_PTR* outcome = nullptr);
// The Win32 error code of a status of the system.
DWORD errorOf(LONG status);
// Deletes what the handle (opened with DELETE access) holds, once its last
// handle is closed: the file or folder itself, whatever its name leads to
// by then. A folder must be empty. False, with the thread's last error set,
// when the system refuses.
bool deleteWhenClosed(HANDLE handle);

struct FolderEntry {
  std::wstring name;
  DWORD attributes = 0;
  FILETIME written{};  // last written
};
// The entries of a folder held open with FILE_LIST_DIRECTORY access, "." and
// ".." left out.
std::vector<FolderEntry> entriesOf(HANDLE folder);

// Opens the folder `base` and the folders `levels` below it (each the name
// of one folder), one level at a time, each made when missing and opened
// relative to the one above it. None may be a link or lie elsewhere than its
// path says (its final path is checked), so nothing under `base` is reached
// through a link. The handles, outermost first, are held without
// FILE_SHARE_DELETE: while they are open nobody can rename a level and put a
// link in its place. Empty, with nothing held, when a level is refused or
// cannot be made.
std::vector<HANDLE> openFolderChain(const std::wstring& base,
                                    const std::vector<std::wstring>& levels);

// True when `file` is an ordinary file with no other hard link, reached as
// `name` in `folder` by its final path too: no link or redirected folder led
// to it (where the system cannot tell final paths, before Vista, the first
// two checks stand alone).
bool isPlainFileIn(HANDLE file, HANDLE folder, const std::wstring& name);

}  // namespace utility::native_file
