#include "net/resume_rules.h"

#include <cctype>
#include <charconv>

namespace resume_rules {

namespace {

const int64_t kMaxBytes = int64_t{1} << 53;  // far beyond any package; keeps sums exact

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A run of decimal digits up to `stop` (or the end), taken off the front of `text`.
bool takeNumber(std::string_view& text, char stop, int64_t& value) {
  size_t end = stop ? text.find(stop) : text.size();
  if (end == std::string_view::npos || end == 0) return false;
  for (size_t i = 0; i < end; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  auto [next, error] = std::from_chars(text.data(), text.data() + end, value);
  if (error != std::errc() || value > kMaxBytes) return false;
  text.remove_prefix(end + (stop ? 1 : 0));
  (void)next;
  return true;
}

// Header values travel between lines of a request: nothing that could end one.
bool fitsInAHeader(std::string_view value) {
  for (char c : value)
    if (c == '\r' || c == '\n' || c == '\0') return false;
  return !value.empty();
}

}  // namespace

bool parseContentRange(std::string_view text, ContentRange& range) {
  text = trimmed(text);
  const std::string_view unit = "bytes ";
  if (text.size() < unit.size() || !equalsNoCase(text.substr(0, unit.size()), unit)) return false;
  text.remove_prefix(unit.size());
  ContentRange parsed;
  if (!takeNumber(text, '-', parsed.first) || !takeNumber(text, '/', parsed.last) ||
      !takeNumber(text, 0, parsed.total))
    return false;
  if (parsed.first > parsed.last || parsed.last >= parsed.total) return false;
  range = parsed;
  return true;
}

bool parseUnsatisfiedRange(std::string_view text, int64_t& total) {
  text = trimmed(text);
  const std::string_view unit = "bytes */";
  if (text.size() < unit.size() || !equalsNoCase(text.substr(0, unit.size()), unit)) return false;
  text.remove_prefix(unit.size());
  int64_t parsed = 0;
  if (!takeNumber(text, 0, parsed)) return false;
  total = parsed;
  return true;
}

std::string validatorOf(const HttpAnswerHead& head) {
  if (head.status != 200) return {};
  std::string_view etag = trimmed(head.etag);
  // A weak tag may not stand in If-Range: the bytes behind it may differ.
  if (etag.size() >= 2 && etag.front() == '"' && etag.back() == '"' && fitsInAHeader(etag))
    return std::string(etag);
  std::string_view date = trimmed(head.lastModified);
  return fitsInAHeader(date) ? std::string(date) : std::string();
}

int64_t nextStart(const ResumePoint& point) {
  bool resumable = point.bytes > 0 && !point.validator.empty() && !point.rangesRefused;
  return resumable ? point.bytes : 0;
}

std::vector<std::string> nextRequestLines(ResumePoint& point) {
  point.askedFrom = nextStart(point);
  if (point.askedFrom == 0) return {};
  return {"Range: bytes=" + std::to_string(point.bytes) + "-", "If-Range: " + point.validator};
}

namespace {

// Whether a partial answer names the version `validator` stands for, as far
// as it names one: the same ETag, or the same date.
bool sameVersion(const std::string& validator, const HttpAnswerHead& head) {
  bool isTag = !validator.empty() && validator.front() == '"';
  std::string_view named = trimmed(isTag ? head.etag : head.lastModified);
  return named.empty() || named == validator;
}

// The rest asked for, or a first part of it: from where it was asked, of the
// same length and version.
bool isTheRest(const ResumePoint& point, const HttpAnswerHead& head, ContentRange& range) {
  return head.status == 206 && parseContentRange(head.contentRange, range) &&
         range.first == point.askedFrom && (point.total < 0 || range.total == point.total) &&
         sameVersion(point.validator, head);
}

// A 416 saying that the whole length is what the source already holds.
bool nothingMissing(const ResumePoint& point, const HttpAnswerHead& head) {
  int64_t total = -1;
  return head.status == 416 && parseUnsatisfiedRange(head.contentRange, total) &&
         total == point.askedFrom && (point.total < 0 || total == point.total);
}

}  // namespace

Answer acceptAnswer(ResumePoint& point, const HttpAnswerHead& head) {
  if (head.status == 407) return Answer::refused;
  if (point.askedFrom > 0 && head.status != 200) {
    if (nothingMissing(point, head)) {
      point.bytes = point.askedFrom;
      point.total = point.askedFrom;
      return Answer::complete;
    }
    ContentRange range;
    if (!isTheRest(point, head, range)) {
      // The version the bytes belong to is not the one served: start anew.
      point.validator.clear();
      return Answer::restart;
    }
    point.bytes = point.askedFrom;
    point.total = range.total;
    return Answer::append;
  }
  point.bytes = 0;
  point.total = head.contentLength;
  point.validator = validatorOf(head);
  point.rangesRefused = equalsNoCase(trimmed(head.acceptRanges), "none");
  return Answer::whole;
}

AttemptEnd endOfCleanAnswer(const ResumePoint& point) {
  return point.total >= 0 && point.bytes < point.total ? AttemptEnd::incomplete : AttemptEnd::done;
}

NextStep nextStepAfter(AttemptEnd end, bool gotBytes, const ResumePoint& point, int quietRetries,
                       DWORD now, const DownloadLimits& limits) {
  using Kind = NextStep::Kind;
  if (end == AttemptEnd::failed || end == AttemptEnd::done) return {Kind::leaveFailed};
  const bool connection = end == AttemptEnd::broken;
  const DWORD quiet = now - point.lastProgressTick;
  if (quiet >= limits.noProgressMs)
    return {connection ? Kind::leaveOffline : Kind::leaveFailed};
  if (end == AttemptEnd::incomplete && gotBytes) return {Kind::retry, 0, false};
  DWORD wait = backoffMs(quietRetries, limits.firstBackoffMs, limits.maxBackoffMs);
  // The last request goes out before the limit, not after it.
  if (wait > limits.noProgressMs - quiet) wait = limits.noProgressMs - quiet;
  return {Kind::retry, wait, connection};
}

DWORD backoffMs(int index, DWORD firstMs, DWORD capMs) {
  if (index < 0) index = 0;
  if (index > 16) index = 16;  // beyond any cap; keeps the shift defined
  uint64_t wait = uint64_t{firstMs} << index;
  return wait > capMs ? capMs : static_cast<DWORD>(wait);
}

}  // namespace resume_rules
