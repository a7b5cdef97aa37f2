// Rules of resuming a broken download, shared by both download methods: what
// the next request of a source asks for, what its answer means, and what the
// source does after a request that did not bring the whole file. Plain values
// only, so they can be checked with tables.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/download_limits.h"
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
// The total of the "bytes */total" a 416 answer carries; false for anything else.
bool parseUnsatisfiedRange(std::string_view text, int64_t& total);

// What a download knows of the bytes it has. Lives as long as the file does
// (the next run takes it up again from the file's record).
struct ResumePoint {
  int64_t bytes = 0;           // written to the file, from its start
  int64_t total = -1;          // the whole length; -1 while unknown
  std::string validator;       // the If-Range value: a strong ETag or a date
  bool rangesRefused = false;  // the server said "Accept-Ranges: none"
  int64_t askedFrom = 0;       // where the last request asked to start
  // The most bytes the running source has had, and when that mark last
  // rose: bytes fetched again after a fresh start are no progress.
  int64_t mostBytes = 0;
  DWORD lastProgressTick = 0;
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
  whole,     // the body is the whole file: written from byte 0
  append,    // the body is (a first part of) the rest asked for: appended
  complete,  // 416 naming the bytes there as the whole length: nothing was missing
  restart,   // not the part asked for: dropped, and the source asks again from zero
  refused,   // the proxy wants credentials (407): the source has failed
};
// What the answer to the last request means; takes its length and validator
// into `point` when it starts the file anew, and forgets the validator when
// the answer is not the part asked for (the next request asks from zero). A
// 206 is the rest only when it starts where asked, keeps the total, and names
// the same version (its ETag or date, when it gives one) as the one sent.
Answer acceptAnswer(ResumePoint& point, const HttpAnswerHead& head);

// How one request of a source ended.
enum class AttemptEnd {
  done,        // the whole file is there
  broken,      // no connection, or it broke, or the answer was cut short or stalled
  incomplete,  // the answer ended cleanly before the known total (a short 206)
  restart,     // the answer was not the part asked for
  failed,      // anything else: an error status, the disk, a cancel, a refusal
};
// How a request whose body ended cleanly ended: done unless a known total
// has not been reached.
AttemptEnd endOfCleanAnswer(const ResumePoint& point);

// What a source does after a request that did not bring the whole file.
struct NextStep {
  enum class Kind {
    retry,         // ask again after waitMs
    leaveOffline,  // left for want of a connection: what it has is worth keeping
    leaveFailed,   // left for a bad answer
  };
  Kind kind = Kind::leaveFailed;
  DWORD waitMs = 0;
  bool reconnecting = false;  // the wait is for the connection to come back
};
// `end` and `gotBytes` (the request raised the source's most bytes) of the
// request ending at `now`; `quietRetries` retries in a row have brought
// nothing before it. A source is left once it has gone limits.noProgressMs
// without progress, or at once for a failure; a request that brought bytes
// and ended cleanly is followed at once; otherwise the wait is the back-off.
NextStep nextStepAfter(AttemptEnd end, bool gotBytes, const ResumePoint& point, int quietRetries,
                       DWORD now, const DownloadLimits& limits);

// The wait before retry `index` (0 for the first): `firstMs` doubled each
// time, never above `capMs`.
DWORD backoffMs(int index, DWORD firstMs, DWORD capMs);

}  // namespace resume_rules
