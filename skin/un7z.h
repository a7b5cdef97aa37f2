// 7z archives held in memory, unpacked to a folder or handed file by file to a
// function. Both calls run on the calling thread, never log or throw, and keep
// nothing after they return. Each returns one code of the table below.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace utility::un7z {

// Receives one non-empty file whose data checked out: its archive name ("/"
// between folder levels), its bytes and their count. The bytes are valid only
// during the call; the result is ignored.
using EntryCallback = void (*)(const wchar_t* name, const uint8_t* data, int32_t size);

// Result codes. 1000-1014 map the LZMA SDK's decoder results; 1015 and 1016
// come from the folder writer.
enum Result : int {
  kOk = 0,
  kUnknownError = 1000,     // any other decoder result
  kDataError = 1001,        // SZ_ERROR_DATA: corrupt compressed data
  kMemError = 1002,         // SZ_ERROR_MEM: out of memory
  kUnsupported = 1003,      // SZ_ERROR_UNSUPPORTED; also entry names over 259 units
                            // and, in callback mode, files of 2 GiB or more
  kParamError = 1004,       // SZ_ERROR_PARAM
  kCrcError = 1005,         // SZ_ERROR_CRC, or a file's CRC-32 differs
  kInputEof = 1006,         // SZ_ERROR_INPUT_EOF: the archive ends early
  kOutputEof = 1007,        // SZ_ERROR_OUTPUT_EOF: the writer took fewer bytes
  kReadError = 1008,        // SZ_ERROR_READ
  kWriteError = 1009,       // SZ_ERROR_WRITE
  kProgressError = 1010,    // SZ_ERROR_PROGRESS
  kFail = 1011,             // SZ_ERROR_FAIL
  kThreadError = 1012,      // SZ_ERROR_THREAD
  kArchiveError = 1013,     // SZ_ERROR_ARCHIVE; also (folder mode) an entry name
                            // that is absolute or climbs out of the target folder
  kNoArchive = 1014,        // SZ_ERROR_NO_ARCHIVE: not a 7z archive
  kCreateFailed = 1015,     // folder mode: an output file could not be created
  kFileWriteFailed = 1016,  // folder mode: writing an output file failed
};

// Writes every entry below `folder` (created when missing). Files written
// before a failure stay on disk. With `createdFiles`, the archive names
// (back-slashes between folder levels) of the files it created are added
// there, also when a later entry fails.
int extractToFolder(const void* archive, uint32_t size, const std::wstring& folder,
                    std::vector<std::wstring>* createdFiles = nullptr);

// Calls `callback` once per non-empty file, in archive order, before returning.
// Directories and empty files are skipped.
int extractToCallback(const void* archive, uint32_t size, EntryCallback callback);

}  // namespace utility::un7z
