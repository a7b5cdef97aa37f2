#include <gtest/gtest.h>

#include <regex>

#include "utility/text.h"
#include "utility/usystem.h"

TEST(Usystem, GuidStringHasTheTelemetryFormat) {
  std::string first = utility::wideToUtf8(utility::usystem::newGuidString());
  std::string second = utility::wideToUtf8(utility::usystem::newGuidString());
  const std::regex format("^[0-9A-F]{8}_[0-9A-F]{4}_[0-9a-f]{4}_[0-9A-F]{4}_[0-9A-F]{12}$");
  EXPECT_TRUE(std::regex_match(first, format)) << first;
  EXPECT_TRUE(std::regex_match(second, format)) << second;
  EXPECT_NE(first, second);
}

TEST(Usystem, VersionQueriesAnswerOnThisSystem) {
  // The test prefix is a 64-bit Windows 7 or later.
  EXPECT_GE(utility::usystem::windowsMajorVersion(), 6u);
  EXPECT_TRUE(utility::usystem::isVistaOrLater());
  EXPECT_TRUE(utility::usystem::isNative64());
}
