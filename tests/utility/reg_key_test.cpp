#include <gtest/gtest.h>

#include "utility/reg_key.h"

namespace {

// A private key under HKCU, removed after each test.
class RegKeyTest : public ::testing::Test {
 protected:
  const char* kSubKey = "Software\\VorlaneTests\\RegKey";
  void SetUp() override {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const char dir[] = "D:\\Vorlane";
    RegSetValueExA(key, "InstallDir", 0, REG_SZ, (const BYTE*)dir, sizeof(dir));
    std::string tooLong(1100, 'x');
    RegSetValueExA(key, "TooLong", 0, REG_SZ, (const BYTE*)tooLong.c_str(), tooLong.size() + 1);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlaneTests"); }
};

}  // namespace

TEST_F(RegKeyTest, ReadBeforeOpenIsMinusOne) {
  utility::RegKey key;
  std::string value = "unchanged";
  EXPECT_EQ(key.RegRead("InstallDir", value), -1);
  EXPECT_EQ(value, "unchanged");
}

TEST_F(RegKeyTest, OpenAndReadStringValues) {
  utility::RegKey key;
  ASSERT_EQ(key.RegRegOpen(HKEY_CURRENT_USER, kSubKey, KEY_READ | KEY_WOW64_64KEY), ERROR_SUCCESS);
  std::string value;
  EXPECT_EQ(key.RegRead("InstallDir", value), ERROR_SUCCESS);
  EXPECT_EQ(value, "D:\\Vorlane");

  value = "unchanged";
  EXPECT_EQ(key.RegRead("Missing", value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, "unchanged");
  EXPECT_EQ(key.RegRead("TooLong", value), ERROR_MORE_DATA);
  EXPECT_EQ(value, "unchanged");
}

TEST_F(RegKeyTest, OpeningAMissingKeyFails) {
  utility::RegKey key;
  EXPECT_EQ(key.RegRegOpen(HKEY_CURRENT_USER, "Software\\VorlaneTests\\Nowhere", KEY_READ),
            ERROR_FILE_NOT_FOUND);
  std::string value;
  EXPECT_EQ(key.RegRead("InstallDir", value), -1);
}
