// The file a download writes, and what is known of the bytes in it: one file
// serves every source of a download, so that a source can go on from what an
// earlier one of the same address left. With a record file beside it (a
// "kept" download) it also outlives the run: the record says whose bytes they
// are, and the next run takes them up again. Used by one thread at a time.
#pragma once
#include <windows.h>

#include <string>

#include "net/http_answer_head.h"
#include "net/resume_rules.h"
#include "utility/file_handle.h"

class PartialFile {
 public:
  // `path` is the file; `recordPath` (may be empty) its record, which keeps the
  // bytes for the next run.
  explicit PartialFile(std::wstring path, std::wstring recordPath = {});
  ~PartialFile() { close(); }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  // Creates or empties the file now; false when it cannot be created.
  bool create();
  // Takes up the bytes an earlier run recorded: the file is opened and cut to
  // what is good of it, all of it when the record was written since the
  // system started (the run ended, the system kept every byte), else the
  // bytes the record says were flushed. False (and nothing held) when there
  // is no record, it does not read right, or the file is missing, shorter or
  // not a plain file of its own.
  bool takeUp();

  // Before each source: its point is what the file holds when the bytes are
  // `url`'s, else none (the source asks for the whole file, and the file is
  // only emptied when a whole answer comes).
  void beginSource(const std::string& url);
  resume_rules::ResumePoint& point() { return point_; }

  // What the answer to the source's request means (resume_rules::acceptAnswer).
  // A whole answer empties the file, creating it when needed, and makes the
  // bytes the source's. False when the file cannot be made or emptied.
  bool accept(const HttpAnswerHead& head, resume_rules::Answer& answer);
  // Writes a piece after the bytes there; false when the disk refused it.
  bool append(const char* data, uint32_t count);

  // Flushes the bytes to the disk and records them, so that they survive the
  // run (at most once every few seconds unless `now`; nothing without a record).
  // Bytes of the wrong version are never gone on from: each request names
  // their version (If-Range), and a whole answer replaces them.
  void keep(bool now = true);
  // The bytes are finished with (the file moves on): closes the file and
  // removes the record.
  void finish();
  void close() { file_.close(); }
  bool isOpen() const { return file_.isOpen(); }
  const std::wstring& path() const { return path_; }

 private:
  bool ownsBytes() const { return owned_ && owner_ == source_; }
  void saveRecord();
  void forget();

  std::wstring path_;
  std::wstring recordPath_;
  utility::FileHandle file_;
  bool owned_ = false;               // the file holds bytes of an answer
  std::string owner_;                // whose they are
  resume_rules::ResumePoint held_;   // what the file holds
  std::string source_;               // the running source's address
  resume_rules::ResumePoint point_;  // the running source's point
  DWORD lastKeptTick_ = 0;
};
