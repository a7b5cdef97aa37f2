#include "net/curl_rules.h"

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

TEST(CurlProgressDue, MoreThanOneSecondAfterTheLastAcrossTheWrap) {
  struct Case {
    uint32_t now, last;
    bool due;
  } cases[] = {
      {5000, 0, true},    {1000, 0, false},          {1001, 0, true},          {2000, 1000, false},
      {2001, 1000, true}, {300, 0xFFFFFF00u, false}, {800, 0xFFFFFF00u, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(curl_rules::progressDue(c.now, c.last), c.due) << c.now << " " << c.last;
}

TEST(CurlGrownLength, SumOrLargestValueOnOverflow) {
  EXPECT_EQ(curl_rules::grownLength(0, 16384), 16384u);
  EXPECT_EQ(curl_rules::grownLength(100, 28), 128u);
  EXPECT_EQ(curl_rules::grownLength(UINT32_MAX - 10, 10), UINT32_MAX);
  EXPECT_EQ(curl_rules::grownLength(UINT32_MAX - 10, 11), UINT32_MAX);
  EXPECT_EQ(curl_rules::grownLength(0x80000000u, 0x80000000u), UINT32_MAX);
}
