#include "report/md5.h"

#include <gtest/gtest.h>

TEST(Md5Hex, KnownDigests) {
  struct Case {
    std::string data;
    const char* digest;
  } cases[] = {
      // RFC 1321, appendix A.5
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      // bytes past a zero count too
      {std::string("\0\x01\xff\0", 4), "c451b27a96657b8cdd694be0841d6dfe"},
  };
  for (const auto& c : cases) {
    std::string out = "previous content";
    EXPECT_TRUE(md5Hex(c.data.data(), (int)c.data.size(), out));
    EXPECT_EQ(out, c.digest);
  }
}

TEST(Md5Hex, NoDataLeavesTheOutputAlone) {
  const char data[] = "abc";
  struct Case {
    const void* data;
    int length;
  } cases[] = {{nullptr, 3}, {data, 0}, {data, -1}, {nullptr, 0}};
  for (const auto& c : cases) {
    std::string out = "unchanged";
    EXPECT_FALSE(md5Hex(c.data, c.length, out)) << c.length;
    EXPECT_EQ(out, "unchanged");
  }
}
