#include "net/resume_rules.h"

#include <gtest/gtest.h>

using resume_rules::Answer;
using resume_rules::AttemptEnd;
using resume_rules::ResumePoint;

TEST(ResumeContentRange, OneSatisfiedRangeWithAKnownTotal) {
  struct Case {
    const char* text;
    bool ok;
    long long first = 0, last = 0, total = 0;
  } cases[] = {
      {"bytes 100-999/1000", true, 100, 999, 1000},
      {"  BYTES 0-0/1 ", true, 0, 0, 1},
      {"bytes 12582912-12582912/12582913", true, 12582912, 12582912, 12582913},
      {"bytes 100-999/*", false},      // total unknown
      {"bytes */1000", false},         // unsatisfied
      {"bytes 100-1000/1000", false},  // beyond the end
      {"bytes 500-100/1000", false},   // backwards
      {"bytes -1-999/1000", false},
      {"bytes 100-999/1000x", false},
      {"items 100-999/1000", false},
      {"bytes 100-999/99999999999999999999", false},
      {"", false},
  };
  for (const auto& c : cases) {
    resume_rules::ContentRange range;
    EXPECT_EQ(resume_rules::parseContentRange(c.text, range), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(range.first, c.first) << c.text;
    EXPECT_EQ(range.last, c.last) << c.text;
    EXPECT_EQ(range.total, c.total) << c.text;
  }
}

TEST(ResumeValidator, StrongETagElseDateOnlyFromAWholeFile) {
  struct Case {
    int status;
    const char* etag;
    const char* lastModified;
    const char* validator;
  } cases[] = {
      {200, "\"6b1b507b-b71b00\"", "Mon, 07 Dec 2026 10:00:00 GMT", "\"6b1b507b-b71b00\""},
      {200, "W/\"weak\"", "Mon, 07 Dec 2026 10:00:00 GMT", "Mon, 07 Dec 2026 10:00:00 GMT"},
      {200, "", "Mon, 07 Dec 2026 10:00:00 GMT", "Mon, 07 Dec 2026 10:00:00 GMT"},
      {200, "unquoted", "", ""},
      {200, "", "", ""},
      {404, "\"page\"", "Mon, 07 Dec 2026 10:00:00 GMT", ""},
      {200, "\"a\r\nX-Evil: 1\"", "", ""},
  };
  for (const auto& c : cases) {
    HttpAnswerHead head;
    head.status = c.status;
    head.etag = c.etag;
    head.lastModified = c.lastModified;
    EXPECT_EQ(resume_rules::validatorOf(head), c.validator) << c.etag << " " << c.status;
  }
}

// A source's requests and the answers they get, in order: what each request
// asks and what the source makes of each answer.
TEST(ResumeSource, RequestsAndAnswersInOrder) {
  struct Step {
    HttpAnswerHead answer;
    long long written;      // body bytes written after the answer (the break comes then)
    std::string firstLine;  // of the request before the answer; "" for none
    Answer meaning;
    long long bytesAfter;  // where the source stands after the body
  };
  auto head = [](int status, long long length, std::string range = "", std::string etag = "",
                 std::string acceptRanges = "") {
    HttpAnswerHead h;
    h.status = status;
    h.contentLength = length;
    h.contentRange = std::move(range);
    h.etag = std::move(etag);
    h.acceptRanges = std::move(acceptRanges);
    return h;
  };
  const std::string kTag = "\"v1\"";
  struct Case {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"cut, then the rest",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 700, "bytes 300-999/1000"), 700, "Range: bytes=300-", Answer::append, 1000}}},
      {"cut twice, then the rest",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 700, "bytes 300-999/1000"), 200, "Range: bytes=300-", Answer::append, 500},
        {head(206, 500, "bytes 500-999/1000"), 500, "Range: bytes=500-", Answer::append, 1000}}},
      {"the range is ignored: the whole file again",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(200, 1000, "", kTag), 1000, "Range: bytes=300-", Answer::whole, 1000}}},
      {"another range than asked: asked again from zero",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 500, "bytes 500-999/1000"), 0, "Range: bytes=300-", Answer::restart, 300},
        {head(200, 1000, "", kTag), 1000, "", Answer::whole, 1000}}},
      {"the total changed",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 900, "bytes 300-1199/1200"), 0, "Range: bytes=300-", Answer::restart, 300}}},
      {"a range short of the end: appended, and the rest asked for",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 100, "bytes 300-399/1000"), 100, "Range: bytes=300-", Answer::append, 400},
        {head(206, 600, "bytes 400-999/1000"), 600, "Range: bytes=400-", Answer::append, 1000}}},
      {"the rest of another version: asked again from zero",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 700, "bytes 300-999/1000", "\"v2\""), 0, "Range: bytes=300-",
         Answer::restart, 300}}},
      {"the rest naming the same version",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 700, "bytes 300-999/1000", kTag), 700, "Range: bytes=300-", Answer::append,
         1000}}},
      {"an error status to a range",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(416, 10), 0, "Range: bytes=300-", Answer::restart, 300}}},
      {"416 naming the bytes there as the whole length: nothing missing",
       {{head(200, 1000, "", kTag), 1000, "", Answer::whole, 1000},
        {head(416, 10, "bytes */1000"), 0, "Range: bytes=1000-", Answer::complete, 1000}}},
      {"416 naming another length",
       {{head(200, 1000, "", kTag), 1000, "", Answer::whole, 1000},
        {head(416, 10, "bytes */2000"), 0, "Range: bytes=1000-", Answer::restart, 1000}}},
      {"no validator: the whole file again",
       {{head(200, 1000), 300, "", Answer::whole, 300},
        {head(200, 1000), 1000, "", Answer::whole, 1000}}},
      {"ranges refused: the whole file again",
       {{head(200, 1000, "", kTag, "none"), 300, "", Answer::whole, 300},
        {head(200, 1000, "", kTag, "none"), 1000, "", Answer::whole, 1000}}},
      {"a proxy wanting credentials", {{head(407, 50), 0, "", Answer::refused, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResumePoint point;
    for (const auto& step : c.steps) {
      std::vector<std::string> lines = resume_rules::nextRequestLines(point);
      EXPECT_EQ(lines.empty() ? "" : lines[0], step.firstLine);
      if (!lines.empty()) {
        EXPECT_EQ(lines[1], "If-Range: " + kTag);
      }
      EXPECT_EQ(resume_rules::acceptAnswer(point, step.answer), step.meaning);
      if (step.meaning == Answer::whole || step.meaning == Answer::append)
        point.bytes += step.written;
      EXPECT_EQ(point.bytes, step.bytesAfter);
    }
  }
}

// What a source does after a request that did not bring the whole file, with
// 120 s without progress allowed and back-offs of 1 s doubling up to 10 s.
TEST(ResumeSource, WaitsOutOutagesUntilTheSourceHasGoneTooLongWithoutProgress) {
  using Kind = resume_rules::NextStep::Kind;
  DownloadLimits limits;  // the product's
  const DWORD kStart = 0xFFFFF000u;  // the tick count wraps during the source
  struct Case {
    const char* what;
    AttemptEnd end;
    bool gotBytes;
    DWORD quietMs;  // since the source's last progress
    int quietRetries;
    Kind kind;
    DWORD waitMs;
    bool reconnecting;
  } cases[] = {
      {"refused at once, first time", AttemptEnd::broken, false, 10, 0, Kind::retry, 1000, true},
      {"refused again", AttemptEnd::broken, false, 1010, 1, Kind::retry, 2000, true},
      {"and again", AttemptEnd::broken, false, 7010, 3, Kind::retry, 8000, true},
      {"the cap", AttemptEnd::broken, false, 30000, 4, Kind::retry, 10000, true},
      {"still the cap", AttemptEnd::broken, false, 60000, 9, Kind::retry, 10000, true},
      {"the last wait ends at the limit", AttemptEnd::broken, false, 115000, 9, Kind::retry,
       5000, true},
      {"two minutes without a byte", AttemptEnd::broken, false, 120000, 10, Kind::leaveOffline,
       0, false},
      {"a stall after bytes", AttemptEnd::broken, true, 60000, 0, Kind::retry, 1000, true},
      {"a short answer with bytes: the rest at once", AttemptEnd::incomplete, true, 0, 0,
       Kind::retry, 0, false},
      {"a short answer without bytes", AttemptEnd::incomplete, false, 5000, 2, Kind::retry, 4000,
       false},
      {"another version: from zero", AttemptEnd::restart, false, 10, 0, Kind::retry, 1000, false},
      {"versions that never fit", AttemptEnd::restart, false, 120000, 7, Kind::leaveFailed, 0,
       false},
      {"a bad answer", AttemptEnd::failed, true, 0, 0, Kind::leaveFailed, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResumePoint point;
    point.lastProgressTick = kStart;
    resume_rules::NextStep next = resume_rules::nextStepAfter(
        c.end, c.gotBytes, point, c.quietRetries, kStart + c.quietMs, limits);
    EXPECT_EQ(next.kind, c.kind);
    if (next.kind != Kind::retry) continue;
    EXPECT_EQ(next.waitMs, c.waitMs);
    EXPECT_EQ(next.reconnecting, c.reconnecting);
  }
}

TEST(ResumeBackoff, DoublesFromTheFirstWaitUpToTheCap) {
  std::vector<DWORD> waits;
  for (int i = 0; i < 7; ++i)
    waits.push_back(resume_rules::backoffMs(i, kFirstRetryBackoffMs, kMaxRetryBackoffMs));
  EXPECT_EQ(waits, (std::vector<DWORD>{1000, 2000, 4000, 8000, 10000, 10000, 10000}));
  EXPECT_EQ(resume_rules::backoffMs(3, 50, 400), 400u);
  EXPECT_EQ(resume_rules::backoffMs(40, 0x80000000u, 0xFFFFFFFEu), 0xFFFFFFFEu);
}

TEST(ResumeSource, ACleanEndBeforeAKnownTotalIsNotTheFile) {
  ResumePoint point;
  point.bytes = 400;
  EXPECT_EQ(resume_rules::endOfCleanAnswer(point), AttemptEnd::done);  // total unknown
  point.total = 1000;
  EXPECT_EQ(resume_rules::endOfCleanAnswer(point), AttemptEnd::incomplete);
  point.bytes = 1000;
  EXPECT_EQ(resume_rules::endOfCleanAnswer(point), AttemptEnd::done);
}
