// Pure rules of the libcurl transfers, kept apart from the transfer so they can
// be checked with tables of values.
#pragma once
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>

namespace curl_rules {

// The whole percentage to report for `now` of `total` bytes: -1 while no total is
// known (|total| < 0.1), otherwise truncated toward zero and never above 99.
int progressPercent(double total, double now);

// The same for a resumed transfer: libcurl counts only this answer's body
// (`total` announced, `now` received), after the `base` bytes already there.
int resumedProgressPercent(int64_t base, double total, double now);

// Length of a response buffer of `size` bytes after appending `count`; a sum that
// does not fit in 32 bits gives the largest 32-bit value, which no allocation meets.
uint32_t grownLength(uint32_t size, size_t count);

// Whether a transfer that ended with `code` broke on the way (reset, cut short,
// stalled, the peer or the connection lost), as opposed to a failure that
// asking again would meet again (the disk, a redirect, a refused protocol).
bool isBrokenTransfer(CURLcode code);

}  // namespace curl_rules
