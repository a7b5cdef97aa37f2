#include "report/pc_id.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>

#include "report/google_analytics.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

using testing_support::LogCapture;
using testing_support::TempDir;

TEST(MacId, AddressesAreSortedJoinedHashedAndCounted) {
  std::vector<std::wstring> seventeen;
  for (int i = 16; i >= 0; --i) {
    wchar_t text[13];
    swprintf(text, 13, L"0200000000%02X", i);
    seventeen.push_back(text);
  }
  struct Case {
    std::vector<std::wstring> addresses;
    const char* id;
  } cases[] = {
      {{}, ""},
      {{L"001122AABBCC"}, "0b09e36e82eee36143a8c672b5cc0d90"},
      // MD5 of "001122AABBCC|0A1B2C3D4E5F", whatever order the system lists them in
      {{L"001122AABBCC", L"0A1B2C3D4E5F"}, "2-95a423162502a2679fca05f9c84a6dbb"},
      {{L"0A1B2C3D4E5F", L"001122AABBCC"}, "2-95a423162502a2679fca05f9c84a6dbb"},
      // duplicates stay
      {{L"F0E1D2C3B4A5", L"001122AABBCC", L"001122AABBCC"}, "3-25b188155b50e401bb8e8a6cde67f223"},
      // the count in hexadecimal
      {seventeen, "11-5b2d8626a2258b2a3e6101267756dc94"},
  };
  for (const auto& c : cases) EXPECT_EQ(macIdFromAddresses(c.addresses), c.id);
}

// A hand-made adapter list, so the walk is tested on any computer, also one
// without network adapters.
TEST(MacId, AdapterWalkTakesSixBytesOfEachAddressThatIsNotAllZero) {
  const BYTE addresses[][8] = {
      {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC, 0x00, 0x00},
      {0, 0, 0, 0, 0, 0, 0, 0},                          // all zero: skipped
      {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f, 0x99, 0x99},  // bytes 7 and 8 are not shown
      {0, 0, 0, 0, 0, 0, 0x01, 0x00},                    // not all zero: shown
  };
  IP_ADAPTER_INFO adapters[4] = {};
  for (int i = 0; i < 4; ++i) {
    memcpy(adapters[i].Address, addresses[i], 8);
    adapters[i].AddressLength = 6;
    adapters[i].Next = i < 3 ? &adapters[i + 1] : nullptr;
  }
  EXPECT_EQ(macAddressesOf(adapters),
            (std::vector<std::wstring>{L"001122AABBCC", L"0A1B2C3D4E5F", L"000000000000"}));
  EXPECT_EQ(macAddressesOf(&adapters[1]),
            (std::vector<std::wstring>{L"0A1B2C3D4E5F", L"000000000000"}));
  EXPECT_TRUE(macAddressesOf(nullptr).empty());
  // This computer's adapters go the same way.
  for (const auto& address : adapterMacAddresses())
    EXPECT_TRUE(std::regex_match(utility::wideToUtf8(address), std::regex("^[0-9A-F]{12}$")));
}

namespace {

constexpr char kKey[] = "Software\\VorlaneTests\\vlen\\";
constexpr char kCalc[] = "GoogleAnalytics::calcPCID";

// A private registry key and data file in place of the product's.
class PcidTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlaneTests"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlaneTests"); }

  AnalyticsOptions options() const {
    return {L"http://127.0.0.1:9/mp/collect", {kKey, dir_.file(L"tormic_nuvaro.data")}};
  }
  void setRegistry(const std::wstring& value) {
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(key, L"pcmac", 0, REG_SZ, (const BYTE*)value.c_str(),
                   (DWORD)(2 * value.size() + 2));
    RegCloseKey(key);
  }
  std::wstring registryValue() const {
    wchar_t value[512] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\VorlaneTests\\vlen", L"pcmac", RRF_RT_REG_SZ,
                     nullptr, value, &size) != ERROR_SUCCESS)
      return L"<none>";
    return value;
  }
  void writeDataFile(const std::string& bytes) {
    testing_support::writeFile(dir_.file(L"tormic_nuvaro.data"), bytes);
  }

  TempDir dir_;
};

// UTF-16LE bytes of `text`, cut or padded to `bytes`.
std::string utf16Bytes(const std::wstring& text, size_t bytes) {
  std::string raw((const char*)text.data(), text.size() * 2);
  raw.resize(bytes, 'x');
  return raw;
}

// What the network adapters give, or a GUID where the computer has none.
bool isMadeUp(const std::wstring& id) {
  std::string fromMac = macIdFromAddresses(adapterMacAddresses());
  if (!fromMac.empty()) return id == utility::ansiToWide(fromMac);
  return std::regex_match(
      utility::wideToUtf8(id),
      std::regex("^[0-9A-F]{8}_[0-9A-F]{4}_[0-9a-f]{4}_[0-9A-F]{4}_[0-9A-F]{12}$"));
}

}  // namespace

TEST_F(PcidTest, SourcesAreConsultedInOrderWithTheirThresholds) {
  const std::wstring sixtyFour =
      L"0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789ABCDEF";
  enum Source { kRegistry, kFile, kMadeUp };
  struct Case {
    const char* name;
    const wchar_t* registry;  // null: no value
    int fileBytes;            // 0: no file
    Source source;
    std::wstring id;  // for kRegistry and kFile
  } cases[] = {
      {"registry value of 11 characters wins", L"abcdefghijk", 64, kRegistry, L"abcdefghijk"},
      {"10 characters are not an id", L"abcdefghij", 32, kFile, sixtyFour.substr(0, 16)},
      {"31 bytes of the file are enough", nullptr, 31, kFile, sixtyFour.substr(0, 15)},
      {"only the first 128 bytes count", nullptr, 200, kFile, sixtyFour},
      {"30 bytes are not", nullptr, 30, kMadeUp, L""},
      {"nothing stored", L"abcdefghij", 0, kMadeUp, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    DeleteFileW(dir_.file(L"tormic_nuvaro.data").c_str());
    if (c.registry) setRegistry(c.registry);
    if (c.fileBytes) writeDataFile(utf16Bytes(sixtyFour + sixtyFour, c.fileBytes));

    LogCapture log;
    GoogleAnalytics analytics(options());
    const std::wstring id = analytics.pcid();
    switch (c.source) {
      case kRegistry:
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(log.count(kCalc, L"read pcmac from pc " + c.id), 1);
        EXPECT_EQ(registryValue(), c.registry);  // not written again
        break;
      case kFile:
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(log.count(kCalc, L"read from nuvaro " + c.id), 1);
        EXPECT_EQ(registryValue(), id);
        break;
      case kMadeUp:
        EXPECT_TRUE(isMadeUp(id)) << utility::wideToUtf8(id);
        EXPECT_EQ(log.count(kCalc, L"read from nuvaro "), 1);
        EXPECT_EQ(log.count(kCalc, L"create pcmac " + id), 1);
        EXPECT_EQ(registryValue(), id);
        break;
    }
    // Once known, the id is not worked out again.
    const size_t lines = log.lines().size();
    analytics.calcPCID();
    EXPECT_EQ(analytics.pcid(), id);
    EXPECT_EQ(log.lines().size(), lines);
  }
}

TEST_F(PcidTest, SavedIdIsWhatTheNextRunReads) {
  std::wstring first = GoogleAnalytics(options()).pcid();
  ASSERT_FALSE(first.empty());
  LogCapture log;
  EXPECT_EQ(GoogleAnalytics(options()).pcid(), first);
  EXPECT_EQ(log.count(kCalc, L"read pcmac from pc " + first), 1);
}

TEST_F(PcidTest, KeyThatCannotBeCreatedKeepsTheIdInMemory) {
  AnalyticsOptions unwritable = options();
  unwritable.store.registryKey =
      "Software\\VorlaneTests\\" + std::string(300, 'k');  // too long a name
  LogCapture log;
  GoogleAnalytics analytics(unwritable);
  const std::wstring id = analytics.pcid();
  EXPECT_TRUE(isMadeUp(id));
  int saveErrors = 0;
  for (const auto& line : log.lines())
    if (line.function == kCalc && line.message.rfind(L"save rcmac error ", 0) == 0) ++saveErrors;
  EXPECT_EQ(saveErrors, 1);
}
