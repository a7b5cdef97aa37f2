#include "utility/log_writer.h"

#include <chrono>
#include <vector>

#include "utility/native_file.h"

namespace common {

LogWriter::LogWriter(const std::wstring& path, FileOpener open) : path_(path), open_(open) {
  for (auto& c : path_)
    if (c == L'/') c = L'\\';
  thread_ = std::thread([this] { run(); });
}

LogWriter::~LogWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void LogWriter::append(std::string line) {
  // Read without the lock on purpose: a full buffer means the writer has been
  // woken and is about to take it, and the line is dropped rather than wait.
  if (pendingSize_.load(std::memory_order_relaxed) > threshold_) return;
  size_t size;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ += line;
    size = pending_.size();
    pendingSize_.store(size, std::memory_order_relaxed);
  }
  if (size >= threshold_) wake_.notify_one();
}

void LogWriter::run() {
  openFile();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, std::chrono::milliseconds(kCycleMs), [this] {
      return quit_ || pending_.size() >= threshold_ || flushesAsked_ != flushesDone_;
    });
    if (quit_ && pending_.empty()) break;
    const uint64_t asked = flushesAsked_;
    if (!pending_.empty()) {
      // The lines change hands under the lock; the disk is asked without it,
      // so a thread that logs meanwhile never waits for the disk.
      writing_.swap(pending_);
      pendingSize_.store(0, std::memory_order_relaxed);
      lock.unlock();
      writeLines(writing_);
      writing_.clear();
      cutIfTooLarge();
      lock.lock();
    }
    if (flushesDone_ != asked) {
      flushesDone_ = asked;
      flushed_.notify_all();
    }
  }
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

bool LogWriter::flush(DWORD waitMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t asked = ++flushesAsked_;
  wake_.notify_one();
  return flushed_.wait_for(lock, std::chrono::milliseconds(waitMs),
                           [&] { return flushesDone_ >= asked; });
}

HANDLE LogWriter::openWithoutLinks(const std::wstring& path) {
  std::wstring folderPath = path.substr(0, path.find_last_of(L'\\') + 1);
  HANDLE folder = CreateFileW(folderPath.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  HANDLE file = INVALID_HANDLE_VALUE;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(folder, &info) &&
      !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  }
  if (file != INVALID_HANDLE_VALUE &&
      !utility::native_file::isPlainFileIn(file, folder, path.substr(folderPath.size()))) {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  CloseHandle(folder);
  return file;
}

// Opens for reading and appending with no sharing restriction. A file left in
// UTF-16 by an older version (FF FE) is emptied.
void LogWriter::openFile() {
  file_ = open_(path_);
  if (file_ == INVALID_HANDLE_VALUE) return;
  unsigned char head[2] = {};
  DWORD read = 0;
  if (ReadFile(file_, head, 2, &read, nullptr) && read == 2 && head[0] == 0xFF && head[1] == 0xFE) {
    SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file_);
  }
}

// Every write goes to the end of the file, also when another process wrote to it.
void LogWriter::writeLines(const std::string& lines) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER zero{};
  SetFilePointerEx(file_, zero, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(file_, lines.data(), (DWORD)lines.size(), &written, nullptr);
  FlushFileBuffers(file_);
}

// Keeps the last 2 MiB once the file reaches 50 MiB; the cut ignores line and
// character boundaries.
void LogWriter::cutIfTooLarge() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_, &size) || (uint64_t)size.QuadPart < kCutAt) return;
  std::vector<char> tail(kKeepAfterCut);
  LARGE_INTEGER from;
  from.QuadPart = size.QuadPart - kKeepAfterCut;
  SetFilePointerEx(file_, from, nullptr, FILE_BEGIN);
  DWORD read = 0;
  if (!ReadFile(file_, tail.data(), kKeepAfterCut, &read, nullptr) || read != kKeepAfterCut) return;
  SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(file_);
  DWORD written = 0;
  WriteFile(file_, tail.data(), kKeepAfterCut, &written, nullptr);
  FlushFileBuffers(file_);
}

}  // namespace common
