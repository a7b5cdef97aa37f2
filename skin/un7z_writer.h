// The writers of utility::un7z: they receive the decoded bytes of all blocks in
// order and assign them to the archive's entries purely by entry size (the
// first `size` bytes to the first non-empty file, and so on; directories and
// empty files own none), check each file's CRC-32 and keep the run's error.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "7z.h"
#include "skin/un7z.h"
#include "skin/un7z_sink.h"

namespace utility::un7z {

class EntryWriter : public ByteSink {
 public:
  explicit EntryWriter(const CSzArEx& db) : db_(db) {}
  // 0, or the code of the first failure; after one, nothing more is taken.
  int error() const { return error_; }

 protected:
  bool entriesLeft() const { return index_ < db_.NumFiles; }
  bool isDir(UInt32 i) const { return SzArEx_IsDir(&db_, i); }
  UInt64 entrySize(UInt32 i) const { return SzArEx_GetFileSize(&db_, i); }
  // The stored CRC-32, 0 when none is stored.
  UInt32 storedCrc(UInt32 i) const;
  // Copies entry i's name into name_; sets kUnsupported when it is too long.
  bool loadName(UInt32 i);

  const CSzArEx& db_;
  UInt32 index_ = 0;    // the entry that receives bytes next
  UInt64 missing_ = 0;  // bytes the current file still lacks
  int error_ = kOk;
  std::wstring name_;
};

// Folder mode: every entry is created below the target folder.
class FolderWriter final : public EntryWriter {
 public:
  // Names of the files it creates go to `created` when given.
  FolderWriter(const CSzArEx& db, std::wstring folder, std::vector<std::wstring>* created);
  ~FolderWriter();
  size_t take(const uint8_t* data, size_t size) override;
  // After every block was decoded: creates the entries that follow the last
  // non-empty file (directories and empty files).
  void finish();

 private:
  // Creates directories and empty files up to the next non-empty file and
  // opens that; false when none is left or one failed (error set).
  bool openNext();
  void closeFile();

  std::wstring folder_;
  std::vector<std::wstring>* created_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  UInt32 crc_ = 0;
  UInt32 expectedCrc_ = 0;
};

// Callback mode: each non-empty file is collected in one buffer of its exact
// size and handed to the callback once its CRC checked out.
class CallbackWriter final : public EntryWriter {
 public:
  CallbackWriter(const CSzArEx& db, EntryCallback callback)
      : EntryWriter(db), callback_(callback) {}
  size_t take(const uint8_t* data, size_t size) override;

 private:
  // Skips directories and empty files and readies the buffer for the next
  // file; false when none is left or it cannot be collected (error set).
  bool openNext();
  void deliver();

  EntryCallback callback_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t filled_ = 0;
  bool collecting_ = false;
};

// Creates the folder and its missing parents; failures are left to the file
// that needs the folder.
void makeFolders(const std::wstring& path);

}  // namespace utility::un7z
