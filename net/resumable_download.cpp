#include "net/resumable_download.h"

#include "utility/log.h"

bool runResumableDownload(const DownloadLimits& limits, resume_rules::ResumePoint& point,
                          const std::function<resume_rules::AttemptEnd()>& attempt,
                          const std::function<bool(DWORD)>& wait) {
  using resume_rules::AttemptEnd;
  for (int resumes = 0;; ++resumes) {
    AttemptEnd end = attempt();
    if (end == AttemptEnd::done) return true;
    if (!resume_rules::worthAnotherTry(point, end, resumes, limits.maxResumes)) return false;
    LOG(L"resume %d of %d from byte %lld", resumes + 1, limits.maxResumes,
        static_cast<long long>(resume_rules::nextStart(point)));
    if (!wait(resume_rules::backoffMs(resumes, limits.firstBackoffMs))) return false;
  }
}
