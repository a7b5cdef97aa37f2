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
      {"a range short of the end",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(206, 100, "bytes 300-399/1000"), 0, "Range: bytes=300-", Answer::restart, 300}}},
      {"an error status to a range",
       {{head(200, 1000, "", kTag), 300, "", Answer::whole, 300},
        {head(416, 10), 0, "Range: bytes=300-", Answer::restart, 300}}},
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

TEST(ResumeSource, AnotherTryAfterABreakWithBytesOrAWrongAnswerThreeTimesAtMost) {
  struct Case {
    long long bytes;
    AttemptEnd end;
    int resumesDone;
    bool again;
  } cases[] = {
      {300, AttemptEnd::broken, 0, true},  {300, AttemptEnd::broken, 2, true},
      {300, AttemptEnd::broken, 3, false}, {0, AttemptEnd::broken, 0, false},
      {0, AttemptEnd::restart, 1, true},   {300, AttemptEnd::restart, 3, false},
      {300, AttemptEnd::failed, 0, false}, {300, AttemptEnd::done, 0, false},
  };
  for (const auto& c : cases) {
    ResumePoint point;
    point.bytes = c.bytes;
    EXPECT_EQ(resume_rules::worthAnotherTry(point, c.end, c.resumesDone, 3), c.again)
        << c.bytes << " " << static_cast<int>(c.end) << " " << c.resumesDone;
  }
}

TEST(ResumeBackoff, DoublesFromTheFirstWait) {
  EXPECT_EQ(resume_rules::backoffMs(0, 1000), 1000u);
  EXPECT_EQ(resume_rules::backoffMs(1, 1000), 2000u);
  EXPECT_EQ(resume_rules::backoffMs(2, 1000), 4000u);
  EXPECT_EQ(resume_rules::backoffMs(3, 50), 400u);
  EXPECT_EQ(resume_rules::backoffMs(40, 0x80000000u), 0xFFFFFFFEu);
}
