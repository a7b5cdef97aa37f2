#include "net/partial_file.h"

#include "net/partial_record.h"
#include "utility/log.h"

namespace {

// How often a long transfer makes its bytes last: what a power cut can lose
// is what came since (after a mere crash the system still has every byte).
const DWORD kKeepIntervalMs = 3000;

std::string readSmallFile(const std::wstring& path) {
  utility::FileHandle file;
  if (!file.openForRead(path)) return {};
  std::string text(file.size() <= kMaxPartialRecordBytes ? file.size() : 0, '\0');
  uint32_t got = text.empty() ? 0 : file.read(text.data(), static_cast<uint32_t>(text.size()));
  file.close();
  text.resize(got);
  return text;
}

// Whether the file was last written since the system started: then the
// system still holds everything written to its neighbour since, flushed or
// not. After a restart (a power cut, perhaps) only what was flushed counts.
bool writtenThisBoot(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER written{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
  ULARGE_INTEGER boot{{now.dwLowDateTime, now.dwHighDateTime}};
  boot.QuadPart -= GetTickCount64() * 10000;  // 100 ns units
  return written.QuadPart > boot.QuadPart;
}

}  // namespace

PartialFile::PartialFile(std::wstring path, std::wstring recordPath)
    : path_(std::move(path)), recordPath_(std::move(recordPath)) {}

bool PartialFile::create() {
  file_.close();
  forget();
  return file_.create(path_);
}

bool PartialFile::takeUp() {
  PartialRecord record;
  if (recordPath_.empty() || !parsePartialRecord(readSmallFile(recordPath_), record)) return false;
  file_.close();
  if (file_.openPlainForWrite(path_) && file_.size() > record.bytes &&
      (record.total < 0 || file_.size() <= record.total) && writtenThisBoot(recordPath_))
    record.bytes = file_.size();
  if (!file_.isOpen() || file_.size() < record.bytes ||
      !file_.truncateTo(static_cast<uint64_t>(record.bytes))) {
    LOG(L"kept download not taken up: %s", path_.c_str());
    file_.close();
    return false;
  }
  owned_ = true;
  owner_ = record.url;
  held_ = {};
  held_.bytes = record.bytes;
  held_.total = record.total;
  held_.validator = record.validator;
  LOG(L"kept download taken up: %lld of %lld bytes", static_cast<long long>(record.bytes),
      static_cast<long long>(record.total));
  return true;
}

void PartialFile::beginSource(const std::string& url) {
  source_ = url;
  point_ = ownsBytes() ? held_ : resume_rules::ResumePoint{};
}

bool PartialFile::accept(const HttpAnswerHead& head, resume_rules::Answer& answer) {
  answer = resume_rules::acceptAnswer(point_, head);
  if (answer == resume_rules::Answer::whole) {
    bool emptied = file_.isOpen() ? file_.truncate() : file_.create(path_);
    if (!emptied) return false;
    owned_ = true;
    owner_ = source_;
    held_ = point_;
    saveRecord();
  } else if (ownsBytes() && answer != resume_rules::Answer::restart) {
    held_ = point_;  // the rest of them, or all there already
  }
  // Not the part asked for: this source asks for the whole file next, but the
  // bytes stay what they are (their version named with them) until it comes.
  return true;
}

bool PartialFile::append(const char* data, uint32_t count) {
  if (!file_.isOpen() || !ownsBytes() || !file_.write(data, count)) return false;
  point_.bytes += count;
  held_.bytes = point_.bytes;
  if (point_.bytes > point_.mostBytes) {
    point_.mostBytes = point_.bytes;
    point_.lastProgressTick = GetTickCount();
  }
  keep(false);
  return true;
}

void PartialFile::keep(bool now) {
  if (recordPath_.empty() || !file_.isOpen() || !owned_) return;
  DWORD tick = GetTickCount();
  if (!now && tick - lastKeptTick_ < kKeepIntervalMs) return;
  lastKeptTick_ = tick;
  // Flushed first: the record never counts bytes that a power cut could take.
  if (file_.flush()) saveRecord();
}

void PartialFile::saveRecord() {
  if (recordPath_.empty()) return;
  PartialRecord record{owner_, held_.validator, held_.total, held_.bytes};
  std::string text = formatPartialRecord(record);
  utility::FileHandle file;
  if (!file.create(recordPath_) || !file.write(text.data(), static_cast<uint32_t>(text.size())))
    LOG(L"cannot record the kept download: %d", static_cast<int>(GetLastError()));
  file.close();
}

void PartialFile::finish() {
  file_.close();
  forget();
}

void PartialFile::forget() {
  owned_ = false;
  owner_.clear();
  held_ = {};
  point_ = {};
  if (!recordPath_.empty()) DeleteFileW(recordPath_.c_str());
}
