#include "utility/native_file.h"

#include <winternl.h>

#include "utility/system_library.h"
#include "utility/text_compare.h"
#include "utility/ufile.h"

namespace utility::native_file {
namespace {

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK,
                                                PVOID, ULONG, ULONG, BOOLEAN, PUNICODE_STRING,
                                                BOOLEAN);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001);
constexpr ULONG kFileDirectoryInformation = 1;
constexpr ULONG kFileDispositionInformation = 13;

// The layout of FileDirectoryInformation's records.
struct DirectoryRecord {
  ULONG nextEntryOffset;
  ULONG fileIndex;
  LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime, endOfFile, allocationSize;
  ULONG fileAttributes;
  ULONG fileNameLength;  // in bytes
  WCHAR fileName[1];
};

template <typename Function>
Function ntdll(const char* name) {
  return loadedSystemFunction<Function>(L"ntdll.dll", name);
}

// "\??\C:\..." or "\??\UNC\server\share\...".
std::wstring ntPath(const std::wstring& path) {
  if (path.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

}  // namespace

Request forDeletion(HANDLE folder, const std::wstring& name, ULONG options) {
  Request request;
  request.folder = folder;
  request.name = name;
  request.access = DELETE | FILE_READ_ATTRIBUTES;
  request.sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  request.disposition = FILE_OPEN;
  request.options = options | FILE_OPEN_REPARSE_POINT;
  return request;
}

LONG open(const Request& request, HANDLE* handle, ULONG_PTR* outcome) {
  auto ntCreateFile = ntdll<NtCreateFileFn>("NtCreateFile");
  if (!ntCreateFile || (request.name.empty() && !request.folder)) return kUnsuccessful;
  std::wstring name = request.folder ? request.name : ntPath(request.name);
  UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                      static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  attributes.RootDirectory = request.folder;
  attributes.ObjectName = &text;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  attributes.SecurityDescriptor = request.security;
  IO_STATUS_BLOCK io{};
  HANDLE opened = INVALID_HANDLE_VALUE;
  NTSTATUS status = ntCreateFile(&opened, request.access | SYNCHRONIZE, &attributes, &io, nullptr,
                                 FILE_ATTRIBUTE_NORMAL, request.sharing, request.disposition,
                                 request.options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status >= 0) *handle = opened;
  if (outcome) *outcome = status >= 0 ? io.Information : 0;
  return status;
}

DWORD errorOf(LONG status) {
  auto toError = ntdll<StatusToErrorFn>("RtlNtStatusToDosError");
  return toError ? toError(status) : static_cast<DWORD>(status);
}

bool deleteWhenClosed(HANDLE handle) {
  auto setInformation = ntdll<NtSetInformationFileFn>("NtSetInformationFile");
  if (!setInformation) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  IO_STATUS_BLOCK io{};
  BOOLEAN deleteFile = TRUE;
  NTSTATUS status =
      setInformation(handle, &io, &deleteFile, sizeof(deleteFile), kFileDispositionInformation);
  if (status >= 0) return true;
  SetLastError(errorOf(status));
  return false;
}

std::vector<FolderEntry> entriesOf(HANDLE folder) {
  std::vector<FolderEntry> entries;
  auto queryDirectory = ntdll<NtQueryDirectoryFileFn>("NtQueryDirectoryFile");
  if (!queryDirectory) return entries;
  alignas(8) unsigned char buffer[16 * 1024];
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK io{};
    NTSTATUS status = queryDirectory(folder, nullptr, nullptr, nullptr, &io, buffer, sizeof(buffer),
                                     kFileDirectoryInformation, FALSE, nullptr, restart);
    if (status < 0) break;  // STATUS_NO_MORE_FILES, a warning, ends the listing too
    for (size_t at = 0;;) {
      const auto* record = reinterpret_cast<const DirectoryRecord*>(buffer + at);
      std::wstring name(record->fileName, record->fileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        FILETIME written{record->lastWriteTime.LowPart,
                         static_cast<DWORD>(record->lastWriteTime.HighPart)};
        entries.push_back({name, record->fileAttributes, written});
      }
      if (record->nextEntryOffset == 0) break;
      at += record->nextEntryOffset;
    }
  }
  return entries;
}

namespace {

// What a folder of a chain is opened with: held, never followed when a link.
constexpr DWORD kChainAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr DWORD kChainSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// A level of a chain names one folder (the base: a whole path).
bool isFolderName(const std::wstring& name, bool base) {
  if (base) return !name.empty();
  return !name.empty() && name != L"." && name != L".." &&
         name.find_first_of(L"\\/") == std::wstring::npos;
}

// The folder is no link and lies where `path` says.
bool isPlainFolderAt(HANDLE folder, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder, &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  std::wstring finalPath = ufile::finalPathOf(folder);
  return finalPath.empty() || sameTextIgnoringCase(finalPath, path);
}

}  // namespace

std::vector<HANDLE> openFolderChain(const std::wstring& base,
                                    const std::vector<std::wstring>& levels) {
  std::vector<HANDLE> chain;
  std::wstring path = base;
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  Request request;
  request.name = path;
  request.access = kChainAccess;
  request.sharing = kChainSharing;
  request.disposition = FILE_OPEN;
  request.options = FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;
  for (size_t level = 0; level <= levels.size(); ++level) {
    if (level > 0) {
      request.folder = chain.back();
      request.name = levels[level - 1];
      request.disposition = FILE_OPEN_IF;
      path += L"\\" + request.name;
    }
    HANDLE folder = INVALID_HANDLE_VALUE;
    bool held = isFolderName(request.name, level == 0) && open(request, &folder) >= 0;
    if (held) chain.push_back(folder);
    if (!held || !isPlainFolderAt(folder, path)) {
      for (HANDLE each : chain) CloseHandle(each);
      return {};
    }
  }
  return chain;
}

bool isPlainFileIn(HANDLE file, HANDLE folder, const std::wstring& name) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      info.nNumberOfLinks > 1)
    return false;
  std::wstring folderPath = ufile::finalPathOf(folder);
  std::wstring filePath = ufile::finalPathOf(file);
  if (folderPath.empty() && filePath.empty()) return true;
  return sameTextIgnoringCase(folderPath + L"\\" + name, filePath);
}

}  // namespace utility::native_file
