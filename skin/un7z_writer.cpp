#include "skin/un7z_writer.h"

#include <cstring>
#include <new>

#include "7zCrc.h"
#include "skin/un7z_names.h"

namespace utility::un7z {

// ---- EntryWriter ----

UInt32 EntryWriter::storedCrc(UInt32 i) const {
  return SzBitWithVals_Check(&db_.CRCs, i) ? db_.CRCs.Vals[i] : 0;
}

bool EntryWriter::loadName(UInt32 i) {
  size_t length = SzArEx_GetFileNameUtf16(&db_, i, nullptr);  // with the terminator
  if (length == 0 || length - 1 > kMaxNameLength) {
    error_ = kUnsupported;
    return false;
  }
  name_.resize(length);
  SzArEx_GetFileNameUtf16(&db_, i, reinterpret_cast<UInt16*>(name_.data()));
  name_.resize(length - 1);
  return true;
}

// ---- FolderWriter ----

void makeFolders(const std::wstring& path) {
  for (size_t i = 1; i < path.size(); i++) {
    if (path[i] == L'\\' && path[i - 1] != L':' && path[i - 1] != L'\\')
      CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
  if (!path.empty()) CreateDirectoryW(path.c_str(), nullptr);
}

FolderWriter::FolderWriter(const CSzArEx& db, std::wstring folder,
                           std::vector<std::wstring>* created)
    : EntryWriter(db), folder_(std::move(folder)), created_(created) {
  makeFolders(targetPath(folder_, L""));
}

FolderWriter::~FolderWriter() { closeFile(); }

void FolderWriter::closeFile() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

bool FolderWriter::openNext() {
  for (; entriesLeft(); index_++) {
    if (!loadName(index_)) return false;
    // Sound behaviour: an entry that would land outside the target folder
    // ends the run as a damaged archive; nothing of it is written.
    if (!isSafeEntryName(name_)) {
      error_ = kArchiveError;
      return false;
    }
    std::wstring path = targetPath(folder_, name_);
    if (isDir(index_)) {
      makeFolders(path);
      continue;
    }
    makeFolders(parentPath(path));
    file_ = CreateFileW(path.c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      error_ = kCreateFailed;
      return false;
    }
    if (created_) created_->push_back(path.substr(path.size() - name_.size()));
    if (entrySize(index_) == 0) {
      closeFile();
      continue;
    }
    missing_ = entrySize(index_);
    crc_ = CRC_INIT_VAL;
    expectedCrc_ = storedCrc(index_);
    return true;
  }
  return false;
}

size_t FolderWriter::take(const uint8_t* data, size_t size) {
  size_t taken = 0;
  while (error_ == kOk && taken < size) {
    if (file_ == INVALID_HANDLE_VALUE && !openNext()) break;
    DWORD chunk = (DWORD)(size - taken < missing_ ? size - taken : missing_);
    DWORD written = 0;
    if (!WriteFile(file_, data + taken, chunk, &written, nullptr) || written != chunk) {
      error_ = kFileWriteFailed;
      break;
    }
    if (expectedCrc_ != 0) crc_ = CrcUpdate(crc_, data + taken, chunk);
    taken += chunk;
    missing_ -= chunk;
    if (missing_ > 0) continue;
    index_++;
    closeFile();
    // With no CRC stored nothing was fed, so both sides are 0.
    if (CRC_GET_DIGEST(crc_) != expectedCrc_) error_ = kCrcError;
    if (!entriesLeft()) break;
  }
  return taken;
}

void FolderWriter::finish() {
  if (error_ != kOk) return;
  if (file_ == INVALID_HANDLE_VALUE && openNext()) {
    // A file still waits for bytes that no block held.
    closeFile();
    error_ = kArchiveError;
  }
}

// ---- CallbackWriter ----

bool CallbackWriter::openNext() {
  while (entriesLeft() && (isDir(index_) || entrySize(index_) == 0)) index_++;
  if (!entriesLeft()) return false;
  if (!loadName(index_)) return false;
  // The callback's count is a signed 32-bit value: larger files (and so every
  // file of 4 GiB or more) are refused as unsupported.
  UInt64 size = entrySize(index_);
  if (size > INT32_MAX) {
    error_ = kUnsupported;
    return false;
  }
  buffer_.reset(new (std::nothrow) uint8_t[(size_t)size]);
  if (!buffer_) {
    error_ = kMemError;
    return false;
  }
  filled_ = 0;
  missing_ = size;
  collecting_ = true;
  return true;
}

void CallbackWriter::deliver() {
  collecting_ = false;
  if (SzBitWithVals_Check(&db_.CRCs, index_) &&
      CrcCalc(buffer_.get(), filled_) != storedCrc(index_)) {
    error_ = kCrcError;
  } else {
    if (callback_) callback_(name_.c_str(), buffer_.get(), (int32_t)filled_);
    index_++;
  }
  buffer_.reset();
}

size_t CallbackWriter::take(const uint8_t* data, size_t size) {
  size_t taken = 0;
  while (error_ == kOk && taken < size) {
    if (!collecting_ && !openNext()) break;
    size_t chunk = (size_t)(size - taken < missing_ ? size - taken : missing_);
    memcpy(buffer_.get() + filled_, data + taken, chunk);
    filled_ += chunk;
    taken += chunk;
    missing_ -= chunk;
    if (missing_ > 0) continue;
    deliver();
    if (!entriesLeft()) break;
  }
  return taken;
}

}  // namespace utility::un7z
