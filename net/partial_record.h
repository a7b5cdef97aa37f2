// The small record kept beside an unfinished download, so that the next run can
// go on from its bytes: the address they came from, the version they belong to
// (its If-Range validator), the whole length and how many bytes were safely on
// disk. Plain text; anything that does not read exactly right is no record.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct PartialRecord {
  std::string url;
  std::string validator;
  int64_t total = -1;  // -1: unknown
  int64_t bytes = 0;
};

// The record as its file holds it.
std::string formatPartialRecord(const PartialRecord& record);
// False unless `text` is a record that a download can go on from: an address,
// a validator, and a byte count within the length (when it is known).
bool parsePartialRecord(std::string_view text, PartialRecord& record);

// A record file is never larger than this.
inline constexpr size_t kMaxPartialRecordBytes = 8192;
