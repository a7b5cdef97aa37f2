#include "net/partial_record.h"

#include <charconv>
#include <vector>

namespace {

const char kHeader[] = "vorlane-partial 1";
const int64_t kMaxBytes = int64_t{1} << 53;

bool isPlainLine(std::string_view value) {
  for (char c : value)
    if (c == '\r' || c == '\n' || c == '\0') return false;
  return !value.empty();
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    size_t end = text.find('\n');
    out.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

// "name value" with exactly this name; the value after the first blank.
bool field(std::string_view line, std::string_view name, std::string_view& value) {
  if (line.size() <= name.size() + 1 || line.substr(0, name.size()) != name ||
      line[name.size()] != ' ')
    return false;
  value = line.substr(name.size() + 1);
  return isPlainLine(value);
}

bool number(std::string_view text, int64_t& value) {
  bool negative = !text.empty() && text.front() == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 16) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  int64_t parsed = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
  if (parsed > kMaxBytes) return false;
  value = negative ? -parsed : parsed;
  return true;
}

}  // namespace

std::string formatPartialRecord(const PartialRecord& record) {
  return std::string(kHeader) + "\nurl " + record.url + "\nvalidator " + record.validator +
         "\ntotal " + std::to_string(record.total) + "\nbytes " + std::to_string(record.bytes) +
         "\n";
}

bool parsePartialRecord(std::string_view text, PartialRecord& record) {
  if (text.size() > kMaxPartialRecordBytes) return false;
  std::vector<std::string_view> all = lines(text);
  if (all.size() < 5 || all[0] != kHeader) return false;
  for (size_t i = 5; i < all.size(); ++i)
    if (!all[i].empty()) return false;
  std::string_view url, validator, total, bytes;
  PartialRecord parsed;
  if (!field(all[1], "url", url) || !field(all[2], "validator", validator) ||
      !field(all[3], "total", total) || !field(all[4], "bytes", bytes) ||
      !number(total, parsed.total) || !number(bytes, parsed.bytes))
    return false;
  if (parsed.total < -1 || parsed.bytes < 0 || (parsed.total >= 0 && parsed.bytes > parsed.total))
    return false;
  parsed.url = url;
  parsed.validator = validator;
  record = parsed;
  return true;
}
