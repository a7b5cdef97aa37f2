// Collects finished log lines in memory and writes them to the file from its own
// thread: at least every 500 ms, sooner when 20,480 bytes are pending. Past
// 50 MiB the file is cut to its last 2 MiB. The lock guards only the pending
// lines: the writer takes them and lets go before it touches the disk.
#pragma once
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace common {

class LogWriter {
 public:
  static constexpr uint32_t kThreshold = 20480;
  static constexpr uint64_t kCutAt = 52428800;   // 50 MiB
  static constexpr uint32_t kKeepAfterCut = 2097152;  // 2 MiB
  static constexpr unsigned kCycleMs = 500;

  // Opens (or creates) the log file for reading and writing;
  // INVALID_HANDLE_VALUE when it cannot or may not.
  using FileOpener = HANDLE (*)(const std::wstring& path);
  // The program's opener. The log lies in a folder the user controls, and
  // the program may run elevated: a link put there must never make it write
  // into another file. The folder must be no reparse point and is held while
  // the file is opened; the file is opened without following a reparse point
  // and refused when it is one, has other hard links or is reached under
  // another path than its own. Then there is no log.
  static HANDLE openWithoutLinks(const std::wstring& path);

  // Starts the writer thread, which opens the file itself with `open`.
  explicit LogWriter(const std::wstring& path, FileOpener open = &LogWriter::openWithoutLinks);
  // The product's writer is never destroyed; tests end theirs, which writes
  // what is still pending and closes the file.
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Any thread. Drops the line when more than the threshold is already pending.
  void append(std::string line);
  // Any thread but the writer's own: waits until every line appended before
  // the call has been written, at most `waitMs`; false when the time ran out.
  bool flush(DWORD waitMs);

 private:
  void run();
  void openFile();
  // Writer thread only, without the lock.
  void writeLines(const std::string& lines);
  void cutIfTooLarge();

  const uint32_t threshold_ = kThreshold;
  std::string pending_;
  std::string writing_;  // the writer thread's batch on its way to the disk
  std::atomic<size_t> pendingSize_{0};  // mirrors pending_.size() for the unlocked check
  std::mutex mutex_;
  std::condition_variable wake_;
  std::wstring path_;
  FileOpener open_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool quit_ = false;
  // Flushes asked for and done, counted; the writer answers through flushed_.
  uint64_t flushesAsked_ = 0;
  uint64_t flushesDone_ = 0;
  std::condition_variable flushed_;
  std::thread thread_;
};

}  // namespace common
