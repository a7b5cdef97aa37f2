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

// One rule for 32-bit and 64-bit builds: what the system names its machine,
// else its processor's architecture.
TEST(Usystem, SixtyFourBitWindowsByTheSystemsOwnWord) {
  using utility::usystem::NativeMachine;
  const struct {
    NativeMachine facts;
    bool native64;
  } cases[] = {
      {{true, IMAGE_FILE_MACHINE_AMD64, 0}, true},
      {{true, IMAGE_FILE_MACHINE_ARM64, PROCESSOR_ARCHITECTURE_INTEL}, true},  // told x86 otherwise
      {{true, IMAGE_FILE_MACHINE_I386, 0}, false},
      {{false, 0, PROCESSOR_ARCHITECTURE_AMD64}, true},
      {{false, 0, PROCESSOR_ARCHITECTURE_IA64}, true},
      {{false, 0, PROCESSOR_ARCHITECTURE_ARM64}, true},
      {{false, 0, PROCESSOR_ARCHITECTURE_INTEL}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(utility::usystem::isNative64(c.facts), c.native64)
        << c.facts.named << " " << c.facts.machine << " " << c.facts.architecture;
}

// Only web addresses are ever opened: a text from a loose language table or
// skin must not make the installer start a program.
TEST(Usystem, OnlyWebAddressesAreOpened) {
  const struct {
    const wchar_t* address;
    bool web;
  } cases[] = {
      {L"https://www.vorlane.com/", true},
      {L"HTTP://127.0.0.1:1/terms", true},
      {L"http://", false},
      {L"https:///x", false},
      {L"C:\\Windows\\System32\\calc.exe", false},
      {L"calc.exe", false},
      {L"file:///C:/Windows/System32/calc.exe", false},
      {L"\\\\server\\share\\run.exe", false},
      {L"javascript:alert(1)", false},
      {L" http://x", false},
      {L"http://x\r\nsecond line", false},
      {L"", false},
      {L"https://offers.vorlane.example:8443/terms?lang=en&x=%2F#top", true},
      {L"https://x\" --flag", false},  // a quote and a blank: more for the browser's command line
      {L"https://x/\" --flag", false},
      {L"https://x/a b", false},
      {L"https://x\\y", false},
      {L"https://x/a'b", false},
      {L"https://user@x", false},
      {L"https://x:0", false},
      {L"https://x:65536", false},
      {L"https://x:", false},
      {L"https://-x.com", false},
      {L"https://x..com", false},
      {L"https://x/%zz", false},
      {L"https://x/%4", false},
      {L"https://x/\u00e9", false},
      {L"https://[::1]/", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(utility::usystem::isWebAddress(c.address), c.web) << c.address;
}
