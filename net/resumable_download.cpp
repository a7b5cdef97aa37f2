#include "net/resumable_download.h"

#include "utility/log.h"

SourceEnd runResumableDownload(const DownloadLimits& limits, resume_rules::ResumePoint& point,
                               const SourceSteps& steps) {
  using resume_rules::AttemptEnd;
  using Kind = resume_rules::NextStep::Kind;
  // The source's own time without progress starts now, whatever the file holds.
  point.mostBytes = point.bytes;
  point.lastProgressTick = GetTickCount();
  int quietRetries = 0;
  for (;;) {
    const int64_t mostBefore = point.mostBytes;
    AttemptEnd end = steps.attempt();
    if (end == AttemptEnd::done) return SourceEnd::done;
    const bool gotBytes = point.mostBytes > mostBefore;
    if (gotBytes) quietRetries = 0;
    resume_rules::NextStep next =
        resume_rules::nextStepAfter(end, gotBytes, point, quietRetries, GetTickCount(), limits);
    if (next.kind == Kind::leaveOffline) {
      LOG(L"source left: nothing for %u ms", static_cast<unsigned>(limits.noProgressMs));
      return SourceEnd::offline;
    }
    if (next.kind == Kind::leaveFailed) return SourceEnd::failed;
    if (next.waitMs > 0) ++quietRetries;
    LOG(L"asking again in %u ms from byte %lld", static_cast<unsigned>(next.waitMs),
        static_cast<long long>(resume_rules::nextStart(point)));
    if (next.reconnecting && steps.reconnecting) steps.reconnecting();
    if (next.waitMs > 0 && !steps.wait(next.waitMs)) return SourceEnd::failed;
  }
}
