// A Win32 file handle with the file's size. Closing is explicit; nothing here logs.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace utility {

class FileHandle {
 public:
  FileHandle() = default;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens an existing file for reading and learns its size. While it is open,
  // others may read the file but not write, rename or delete it.
  bool openForRead(const std::wstring& path);
  // Creates the file for reading and writing, emptying an existing one.
  bool create(const std::wstring& path);
  // Opens an existing plain file for reading and writing and learns its size;
  // refused (false) when the name is a link or a folder, or the file has other
  // names: what is written must land in this file and nowhere else. While it
  // is open, others may read it but not write, rename or delete it.
  bool openPlainForWrite(const std::wstring& path);
  // One ReadFile call; the bytes read, 0 on failure.
  uint32_t read(void* buffer, uint32_t count);
  // One WriteFile call; true only when every byte was written.
  bool write(const void* buffer, uint32_t count);
  // Empties an open file; later writes start at its beginning.
  bool truncate() { return truncateTo(0); }
  // Cuts an open file to `bytes` (no longer than it is); later writes start there.
  bool truncateTo(uint64_t bytes);
  // Writes what the system holds of the file to the disk.
  bool flush() { return FlushFileBuffers(handle_) != FALSE; }
  void close();

  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE handle() const { return handle_; }
  uint32_t size() const { return size_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  uint32_t size_ = 0;
};

}  // namespace utility
