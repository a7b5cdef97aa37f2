// The requests of one download source, shared by both download methods: the
// first, then more after each one that did not bring the whole file, until
// the source has gone the limits' time without progress (resume_rules decides
// what each request asks for and what follows it). Runs on the downloading thread.
#pragma once
#include <functional>

#include "net/download_limits.h"
#include "net/resume_rules.h"

// How a source ended.
enum class SourceEnd {
  done,     // the whole file is there
  offline,  // no connection for the limits' time: the bytes there are worth keeping
  failed,   // a bad answer, the disk, a cancel
};

struct SourceSteps {
  // Makes one request from the point and tells how it ended.
  std::function<resume_rules::AttemptEnd()> attempt;
  // Waits the given milliseconds; false when the download was cancelled meanwhile.
  std::function<bool(DWORD)> wait;
  // Told before each wait for the connection to come back; may be empty.
  std::function<void()> reconnecting;
};

SourceEnd runResumableDownload(const DownloadLimits& limits, resume_rules::ResumePoint& point,
                               const SourceSteps& steps);
