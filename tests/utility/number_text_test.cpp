#include "utility/number_text.h"

#include <windows.h>

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(NumberText, WholeNumbersInDecimal) {
  EXPECT_EQ(utility::decimalText(0), L"0");
  EXPECT_EQ(utility::decimalText(7), L"7");
  EXPECT_EQ(utility::decimalText(-42), L"-42");
  EXPECT_EQ(utility::decimalText(INT_MIN), L"-2147483648");
  EXPECT_EQ(utility::decimalText(4294967295u), L"4294967295");
  EXPECT_EQ(utility::decimalText(static_cast<unsigned long>(ERROR_ACCESS_DENIED)), L"5");
  EXPECT_EQ(utility::decimalText(LLONG_MIN), L"-9223372036854775808");
  EXPECT_EQ(utility::decimalText(ULLONG_MAX), L"18446744073709551615");
}

}  // namespace
