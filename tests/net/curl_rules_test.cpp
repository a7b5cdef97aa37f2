#include "net/curl_rules.h"
#include "net/download_limits.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(CurlProgressPercent, NoTotalNoReportThenTruncatedAndBelowHundred) {
  struct Case {
    double total, now;
    int percent;
  } cases[] = {
      {0.0, 0.0, -1},          {0.09, 5.0, -1},      {-0.09, 5.0, -1},
      {1000.0, 0.0, 0},        {1000.0, 9.99, 0},    {1000.0, 10.0, 1},
      {1000.0, 999.0, 99},     {1000.0, 999.99, 99}, {1000.0, 1000.0, 99},
      {1000.0, 5000.0, 99},    {1.0, 1e12, 99},      {209715200.0, 104857600.0, 50},
      {4294967296.0, 1e9, 23},
  };
  for (const auto& c : cases)
    EXPECT_EQ(curl_rules::progressPercent(c.total, c.now), c.percent) << c.total << " " << c.now;
}

// After a resume libcurl counts the rest only; the percentage counts the whole file.
TEST(CurlProgressPercent, ResumedTransferCountsTheBytesAlreadyThere) {
  struct Case {
    long long base;
    double total, now;
    int percent;
  } cases[] = {
      {0, 1000.0, 300.0, 30},
      {600, 400.0, 0.0, 60},
      {600, 400.0, 200.0, 80},
      {900, 100.0, 100.0, 99},
      {600, 0.0, 200.0, -1},
      {12582912, 0.05, 0.0, -1},
      {300000000, 100000000.0, 50000000.0, 87},
  };
  for (const auto& c : cases)
    EXPECT_EQ(curl_rules::resumedProgressPercent(c.base, c.total, c.now), c.percent)
        << c.base << " " << c.total << " " << c.now;
}

// One throttle for both download methods: a report more than a second after
// the last, also when the tick count wrapped in between (a frozen progress
// for the rest of the download, were the sum compared instead).
TEST(ProgressReportDue, MoreThanOneSecondAfterTheLastAcrossTheWrap) {
  struct Case {
    uint32_t now, last;
    bool due;
  } cases[] = {
      {5000, 0, true},    {1000, 0, false},          {1001, 0, true},          {2000, 1000, false},
      {2001, 1000, true}, {300, 0xFFFFFF00u, false}, {800, 0xFFFFFF00u, true},
      {0xFFFFFFFFu, 0xFFFFFC18u, false}, {0, 0xFFFFFC18u, false},  // the wrap itself
      {1, 0xFFFFFC18u, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(progressReportDue(c.now, c.last), c.due) << c.now << " " << c.last;
}

TEST(CurlGrownLength, SumOrLargestValueOnOverflow) {
  EXPECT_EQ(curl_rules::grownLength(0, 16384), 16384u);
  EXPECT_EQ(curl_rules::grownLength(100, 28), 128u);
  EXPECT_EQ(curl_rules::grownLength(UINT32_MAX - 10, 10), UINT32_MAX);
  EXPECT_EQ(curl_rules::grownLength(UINT32_MAX - 10, 11), UINT32_MAX);
  EXPECT_EQ(curl_rules::grownLength(0x80000000u, 0x80000000u), UINT32_MAX);
}

TEST(CurlBrokenTransfer, BreaksOnTheWayAreNotFailuresThatWouldRecur) {
  struct Case {
    CURLcode code;
    bool broken;
  } cases[] = {
      {CURLE_PARTIAL_FILE, true},          {CURLE_RECV_ERROR, true},
      {CURLE_OPERATION_TIMEDOUT, true},    {CURLE_COULDNT_CONNECT, true},
      {CURLE_SSL_CONNECT_ERROR, true},     {CURLE_GOT_NOTHING, true},
      {CURLE_WRITE_ERROR, false},          {CURLE_TOO_MANY_REDIRECTS, false},
      {CURLE_UNSUPPORTED_PROTOCOL, false}, {CURLE_OK, false},
  };
  for (const auto& c : cases) EXPECT_EQ(curl_rules::isBrokenTransfer(c.code), c.broken) << c.code;
}

// What libcurl is told of each way to a host: an HTTP proxy's challenge is
// answered only with Negotiate or NTLM as the logged-on user (the empty
// login), never with Basic or Digest; a direct way or a SOCKS proxy has none.
// Only an unreachable proxy gives way to the next way.
TEST(CurlProxyRoute, OnlyTheLoggedOnUsersOwnCredentials) {
  curl_rules::ProxyRoute proxied = curl_rules::proxyRoute("http://proxy.corp:8080", ".corp");
  EXPECT_EQ(proxied.proxy, "http://proxy.corp:8080");
  EXPECT_EQ(proxied.noProxy, ".corp");
  EXPECT_EQ(proxied.auth, (long)(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM));
  EXPECT_STREQ(proxied.login, ":");
  for (const char* other : {"", "socks4://sox:1080"}) {
    curl_rules::ProxyRoute route = curl_rules::proxyRoute(other, "");
    EXPECT_EQ(route.auth, (long)CURLAUTH_NONE) << other;
    EXPECT_EQ(route.login, nullptr) << other;
  }
  EXPECT_TRUE(curl_rules::proxyNotReached(CURLE_COULDNT_CONNECT));
  EXPECT_TRUE(curl_rules::proxyNotReached(CURLE_COULDNT_RESOLVE_PROXY));
  EXPECT_FALSE(curl_rules::proxyNotReached(CURLE_RECV_ERROR));
  EXPECT_FALSE(curl_rules::proxyNotReached(CURLE_OK));
}
