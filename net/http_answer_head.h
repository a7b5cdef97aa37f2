// The head of an HTTP answer, as far as a download needs it. Texts are the
// header values as they came (ASCII), empty when the answer has none.
#pragma once
#include <cstdint>
#include <string>

struct HttpAnswerHead {
  int status = 0;
  int64_t contentLength = -1;  // -1: none announced
  std::string contentRange;
  std::string etag;
  std::string lastModified;
  std::string acceptRanges;
};
