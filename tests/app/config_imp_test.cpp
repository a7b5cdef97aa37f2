#include "app/config_imp.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "tests/support/log_capture.h"
#include "utility/text.h"
#include "vorlane_hosts.h"

using testing_support::LogCapture;

namespace {

std::string narrow(const std::wstring& text) { return utility::wideToUtf8(text); }

struct VariantCase {
  const char* name;
  void (ConfigImp::*select)();
  bool isPlayer4, isPlayer64, isPlayer9;
  const wchar_t* folderName;
  const wchar_t* defaultSubPath;
  const wchar_t* packagePath;
  const wchar_t* registryKey;
  const wchar_t* log;  // what the setter logs under its own name, if anything
};

const VariantCase kVariantCases[] = {
    {"4.0", &ConfigImp::setPlayer4, true, false, false, L"4.0\\", L"Vorlane\\Vorlane4.0\\",
     L"/download/package/Vorlane4.0.exe", L"Software\\Halvek\\Vorlane", L"version 4"},
    {"64", &ConfigImp::setPlayer64, false, true, false, L"Vorlane64\\", L"Vorlane\\Vorlane64\\",
     L"/download/package/Vorlane64.exe", L"Software\\Halvek\\Vorlane64", L"version 64"},
    {"9", &ConfigImp::setPlayer9, false, false, true, L"Vorlane9\\", L"Vorlane\\Vorlane9\\",
     L"/download/package/Vorlane9.0.exe", L"Software\\Halvek\\Vorlane9", nullptr},
    {"3.0", &ConfigImp::setPlayer3, false, false, false, L"Vorlane3.0\\", L"Vorlane\\Vorlane3.0\\",
     L"/download/package/Vorlane3.0.exe", L"Software\\Tormic\\Vorlane", nullptr},
};

void expectVariantAnswers(const ConfigImp& config, const VariantCase& c) {
  EXPECT_EQ(config.playerFolderName(), c.folderName);
  EXPECT_EQ(config.defaultInstallSubPath(), c.defaultSubPath);
  EXPECT_EQ(config.packageUrl(), std::wstring(hosts::kPrimary) + c.packagePath);
  EXPECT_EQ(config.sparePackageUrl(), std::wstring(hosts::kSpare) + c.packagePath);
  EXPECT_EQ(config.registryKey(), c.registryKey);
}

}  // namespace

TEST(ConfigImp, FreshConfigurationIsVariant9InEnglish) {
  ConfigImp config;
  EXPECT_EQ(config.language, L"en");
  EXPECT_FALSE(config.isPlayer4);
  EXPECT_FALSE(config.isPlayer64);
  EXPECT_TRUE(config.isPlayer9);
  EXPECT_TRUE(config.offerEnabled);
  EXPECT_FALSE(config.useSpareUrl);
  EXPECT_TRUE(config.useIe);
  expectVariantAnswers(config, kVariantCases[2]);
}

TEST(ConfigImp, EachVariantSetsItsFlagsAnswersAndLogLine) {
  for (const auto& c : kVariantCases) {
    SCOPED_TRACE(c.name);
    ConfigImp config;
    config.setPlayer4();  // start from another variant than the one selected
    LogCapture log;
    (config.*c.select)();
    EXPECT_EQ(config.isPlayer4, c.isPlayer4);
    EXPECT_EQ(config.isPlayer64, c.isPlayer64);
    EXPECT_EQ(config.isPlayer9, c.isPlayer9);
    expectVariantAnswers(config, c);
    auto lines = log.lines();
    if (c.log) {
      ASSERT_EQ(lines.size(), 1u);
      EXPECT_EQ(lines[0].function,
                std::string("ConfigImp::") + (c.isPlayer4 ? "setPlayer4" : "setPlayer64"));
      EXPECT_EQ(lines[0].message, c.log);
    } else {
      EXPECT_TRUE(lines.empty());
    }
  }
}

TEST(ConfigImp, VariantFlagsAreTestedInOrder) {
  struct Case {
    bool isPlayer4, isPlayer64, isPlayer9;
    PlayerVariant variant;
  } cases[] = {
      {true, true, true, PlayerVariant::k40},    {true, false, true, PlayerVariant::k40},
      {false, true, true, PlayerVariant::k64},   {false, false, true, PlayerVariant::k9},
      {false, false, false, PlayerVariant::k30},
  };
  for (const auto& c : cases) {
    ConfigImp config;
    config.isPlayer4 = c.isPlayer4;
    config.isPlayer64 = c.isPlayer64;
    config.isPlayer9 = c.isPlayer9;
    EXPECT_EQ(config.variant(), c.variant) << c.isPlayer4 << c.isPlayer64 << c.isPlayer9;
  }
}

TEST(ConfigImp, PagesFollowTheMarketSharingPattern) {
  enum Community { kOwn, kInternational, kSameAsHome };
  enum After { kCommunityPage, kCommunityWithSlash, kChatA, kChatB, kChatC };
  struct Case {
    const wchar_t* code;
    Community community;
    After after;
  } cases[] = {
      {L"cn", kSameAsHome, kChatA},    {L"tw", kOwn, kCommunityWithSlash},
      {L"kr", kOwn, kCommunityPage},   {L"vn", kOwn, kCommunityPage},
      {L"th", kOwn, kCommunityPage},   {L"ru", kOwn, kCommunityPage},
      {L"pt", kOwn, kCommunityPage},   {L"id", kOwn, kChatA},
      {L"es", kInternational, kChatB}, {L"fr", kOwn, kChatA},
      {L"jp", kOwn, kChatC},           {L"ar", kOwn, kChatA},
      {L"fa", kOwn, kChatA},           {L"de", kOwn, kChatA},
  };
  ConfigImp config;
  config.language = L"xx";
  const std::wstring internationalHome = config.homePageUrl();
  const std::wstring internationalCommunity = config.communityPageUrl();
  const std::wstring chatA = config.afterInstallPageUrl();
  config.language = L"es";
  const std::wstring chatB = config.afterInstallPageUrl();
  config.language = L"jp";
  const std::wstring chatC = config.afterInstallPageUrl();
  EXPECT_EQ((std::set<std::wstring>{chatA, chatB, chatC}).size(), 3u);

  std::set<std::wstring> homes{internationalHome}, communities{internationalCommunity};
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.code));
    config.language = c.code;
    const std::wstring home = config.homePageUrl();
    const std::wstring community = config.communityPageUrl();
    EXPECT_TRUE(homes.insert(home).second) << "home page not of its own";
    switch (c.community) {
      case kOwn:
        EXPECT_TRUE(communities.insert(community).second);
        break;
      case kInternational:
        EXPECT_EQ(community, internationalCommunity);
        break;
      case kSameAsHome:
        EXPECT_EQ(community, home);
        break;
    }
    const std::wstring expectedAfter[] = {community, community + L"/", chatA, chatB, chatC};
    EXPECT_EQ(config.afterInstallPageUrl(), expectedAfter[c.after]);
    EXPECT_EQ(narrow(home).rfind(c.community == kSameAsHome ? "http://" : "https://", 0), 0u);
  }
}

TEST(ConfigImp, UnlistedOrDifferentlyCasedCodesGetTheDefaultRows) {
  ConfigImp config;
  config.language = L"xx";
  const std::wstring pages[] = {config.homePageUrl(), config.communityPageUrl(),
                                config.afterInstallPageUrl(), config.gaMeasurementId(),
                                config.gaApiSecret()};
  for (const wchar_t* code : {L"en", L"", L"KR", L"kr ", L"ua", L"it", L"zh"}) {
    config.language = code;
    const std::wstring answers[] = {config.homePageUrl(), config.communityPageUrl(),
                                    config.afterInstallPageUrl(), config.gaMeasurementId(),
                                    config.gaApiSecret()};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(answers[i], pages[i]) << narrow(code) << " " << i;
  }
}

TEST(ConfigImp, AnalyticsIdentifiersHaveTheirFormsAndOwners) {
  const std::regex measurementId("^G-[A-Z0-9]{10}$");
  const std::regex apiSecret("^[A-Za-z0-9_-]{22}$");
  ConfigImp config;
  config.language = L"xx";
  const std::wstring defaultId = config.gaMeasurementId();
  std::set<std::wstring> ids{defaultId}, secrets{config.gaApiSecret()};
  for (const wchar_t* code : {L"kr", L"vn", L"th", L"ru", L"pt", L"jp", L"id", L"fr", L"es", L"de",
                              L"ar", L"fa", L"cn"}) {
    config.language = code;
    EXPECT_TRUE(std::regex_match(narrow(config.gaMeasurementId()), measurementId)) << narrow(code);
    EXPECT_TRUE(std::regex_match(narrow(config.gaApiSecret()), apiSecret)) << narrow(code);
    EXPECT_TRUE(ids.insert(config.gaMeasurementId()).second) << narrow(code) << " shares an id";
    EXPECT_TRUE(secrets.insert(config.gaApiSecret()).second) << narrow(code) << " shares a secret";
  }
  config.language = L"cn";
  const std::wstring cnId = config.gaMeasurementId(), cnSecret = config.gaApiSecret();
  config.language = L"tw";
  EXPECT_EQ(config.gaMeasurementId(), cnId);
  EXPECT_EQ(config.gaApiSecret(), cnSecret);
  config.language = L"xx";
  EXPECT_TRUE(std::regex_match(narrow(config.gaMeasurementId()), measurementId));
  EXPECT_TRUE(std::regex_match(narrow(config.gaApiSecret()), apiSecret));
}

TEST(ConfigImp, FixedAnswers) {
  ConfigImp config;
  EXPECT_EQ(config.productName(), L"Vorlane");
  EXPECT_EQ(config.packagePath(L"D:\\Games\\Vorlane9"), L"D:\\Games\\Vorlane9\\Vorlane.exe");
  EXPECT_EQ(config.packagePath(L"D:\\Games\\"), L"D:\\Games\\\\Vorlane.exe");  // used as given
  EXPECT_EQ(config.licencePageUrl(), std::wstring(hosts::kSite) + L"/other/protocol.html");
  EXPECT_TRUE(
      std::regex_match(narrow(config.manualDownloadUrl()),
                       std::regex(R"(^https://[a-z.]+/uc\?id=[A-Za-z0-9_-]+&export=download$)")))
      << narrow(config.manualDownloadUrl());
  config.setPlayer3();
  config.language = L"jp";
  EXPECT_EQ(config.productName(), L"Vorlane");
  EXPECT_EQ(config.manualDownloadUrl(), ConfigImp().manualDownloadUrl());
}

TEST(ConfigImp, InstanceIsOneObjectForTheProcess) {
  EXPECT_EQ(&ConfigImp::instance(), &ConfigImp::instance());
}
