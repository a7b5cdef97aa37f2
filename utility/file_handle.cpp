#include "utility/file_handle.h"

namespace utility {

bool FileHandle::openForRead(const std::wstring& path) {
  handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(handle_, nullptr);
  if (size == INVALID_FILE_SIZE) {
    close();
    return false;
  }
  size_ = size;
  return true;
}

bool FileHandle::create(const std::wstring& path) {
  handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle_ != INVALID_HANDLE_VALUE;
}

uint32_t FileHandle::read(void* buffer, uint32_t count) {
  DWORD got = 0;
  if (!ReadFile(handle_, buffer, count, &got, nullptr)) return 0;
  return got;
}

bool FileHandle::write(const void* buffer, uint32_t count) {
  DWORD written = 0;
  return WriteFile(handle_, buffer, count, &written, nullptr) && written == count;
}

bool FileHandle::openPlainForWrite(const std::wstring& path) {
  handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                        nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  bool plain = GetFileInformationByHandle(handle_, &info) &&
               !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
               info.nNumberOfLinks == 1 && info.nFileSizeHigh == 0;
  if (!plain) {
    close();
    return false;
  }
  size_ = info.nFileSizeLow;
  return true;
}

bool FileHandle::truncateTo(uint64_t bytes) {
  LARGE_INTEGER at = {};
  at.QuadPart = static_cast<LONGLONG>(bytes);
  return SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}

void FileHandle::close() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace utility
