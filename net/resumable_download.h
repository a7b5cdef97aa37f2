// The attempts of one download source, shared by both download methods: the
// first request, then up to limits.maxResumes more after a break, each after
// its back-off (resume_rules decides what each request asks for and whether
// another is worth making). Runs on the downloading thread.
#pragma once
#include <functional>

#include "net/download_limits.h"
#include "net/resume_rules.h"

// True when an attempt got the whole file. `attempt` makes one request from
// `point` and tells how it ended; `wait` waits the given milliseconds and
// returns false when the download was cancelled in the meantime.
bool runResumableDownload(const DownloadLimits& limits, resume_rules::ResumePoint& point,
                          const std::function<resume_rules::AttemptEnd()>& attempt,
                          const std::function<bool(DWORD)>& wait);
