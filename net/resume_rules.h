// Rules of resuming a broken download, shared by both download methods: what
// the next request of a source asks for, what its answer means, and whether a
// source tries again. Plain values only, so they can be checked with tables.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/http_answer_head.h"

namespace resume_rules {

// "bytes first-last/total" of a 206 answer.
struct ContentRange {
  int64_t first = -1;
  int64_t last = -1;
  int64_t total = -1;
};
// False unless `text` is one satisfied byte range with a known total.
bool parseContentRange(std::string_view text, ContentRange& range);

// What one source knows between its attempts. Lives as long as the source.
struct ResumePoint {
  int64_t bytes = 0;           // written to the file, from its start
  int64_t total = -1;          // the whole length; -1 while unknown
  std::string validator;       // the If-Range value: a strong ETag or a date
  bool rangesRefused = false;  // the server said "Accept-Ranges: none"
  int64_t askedFrom = 0;       // where the last request asked to start
};

// The If-Range value a whole answer gives: its ETag unless weak, else its
// Last-Modified date; empty when it has neither or is not a 200.
std::string validatorOf(const HttpAnswerHead& head);

// Where the next request of the source starts: its bytes when it can go on
// from them (a validator, ranges not refused), else 0.
int64_t nextStart(const ResumePoint& point);

// The header lines of the next request ("Range: bytes=N-", "If-Range: V"),
// or none when the source cannot go on from its bytes (none yet, no
// validator, ranges refused): then the whole file is asked for again.
// Records in `point` where the request starts.
std::vector<std::string> nextRequestLines(ResumePoint& point);

enum class Answer {
  whole,    // the body is the whole file: written from byte 0
  append,   // the body is the rest asked for: appended
  restart,  // not the part asked for: dropped, and the source asks again from zero
  refused,  // the proxy wants credentials (407): the source has failed
};
// What the answer to the last request means; takes its length and validator
// into `point` when it starts the file anew, and forgets the validator when
// the answer is not the part asked for (the next request asks from zero).
Answer acceptAnswer(ResumePoint& point, const HttpAnswerHead& head);

// How one attempt of a source ended.
enum class AttemptEnd {
  done,     // the whole file is there
  broken,   // the connection broke, the body was cut short or stalled
  restart,  // the answer was not the part asked for
  failed,   // anything else: an error status, the disk, a cancel, a refusal
};
// Whether the source tries again after `resumesDone` earlier resumes: a break
// once bytes have arrived, or an answer that was not the part asked for.
bool worthAnotherTry(const ResumePoint& point, AttemptEnd end, int resumesDone, int maxResumes);

// The wait before resume `index` (0 for the first): `firstMs` doubled each time.
DWORD backoffMs(int index, DWORD firstMs);

}  // namespace resume_rules
