// Log messages are formatted as printf would, except that a value's line
// breaks cannot start a line of their own.
#include "utility/log_format.h"

#include <gtest/gtest.h>

namespace {

std::wstring format(size_t maxChars, const wchar_t* text, ...) {
  va_list args;
  va_start(args, text);
  std::wstring message = common::formatLogMessage(text, args, maxChars);
  va_end(args);
  return message;
}

}  // namespace

TEST(LogFormat, ValuesLineBreaksAreEscapedTheFormatsAreKept) {
  int counted = 7;
  const struct {
    std::wstring got, expected;
  } cases[] = {
      {format(100, L"url: %s", L"http://x/\r\n12-11\t00:00:00.000\tfake"),
       L"url: http://x/\\r\\n12-11\t00:00:00.000\tfake"},
      {format(100, L"\r\n\r\n***** start ****"), L"\r\n\r\n***** start ****"},
      {format(100, L"%d %08X %u %lld %zu", -5, 0xBEEFu, 3u, 1LL << 40, (size_t)9),
       L"-5 0000BEEF 3 1099511627776 9"},
      {format(100, L"[%5s|%-3d|%.2s]", L"ab", 7, L"xyz"), L"[   ab|7  |xy]"},
      {format(100, L"%hs and %S", "narrow\n", "too\r"), L"narrow\\n and too\\r"},
      {format(100, L"100%% %s", L"done"), L"100% done"},
      {format(100, L"%s%n|", L"kept", &counted), L"kept|"},
      {format(100, L"%s", nullptr), L"(null)"},
      {format(100, L"a stray %"), L"a stray %"},
      {format(5, L"%s", L"cut here"), L"cut h"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
  EXPECT_EQ(counted, 7);  // "%n" writes nothing
}
