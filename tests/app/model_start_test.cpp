// The model's start-up: parameters from the program's own file name (the probe
// program is copied under each name and run), and the installation folder from
// the registry or the best drive.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/language_codes.h"
#include "report/event_names.h"
#include "report/reporter.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/text.h"

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

std::map<std::string, std::string> runProbeAs(const TempDir& dir, const std::wstring& name) {
  std::wstring exe = dir.file(name + L".exe");
  CopyFileW((testing_support::exeFolder() + L"model_probe.exe").c_str(), exe.c_str(), FALSE);
  EXPECT_TRUE(utility::process::execute(exe, L"", false, 30000)) << utility::wideToUtf8(name);
  std::map<std::string, std::string> facts;
  std::istringstream lines(readFile(exe + L".txt"));
  for (std::string line; std::getline(lines, line);) {
    size_t equals = line.find('=');
    if (equals != std::string::npos) facts[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return facts;
}

}  // namespace

TEST(ModelStart, ParametersComeFromTheProgramsFileName) {
  const std::string windowsLocale = utility::wideToUtf8(uiLanguageToLocale(L"en_US"));
  const std::string windowsCode = utility::wideToUtf8(localeToCode(uiLanguageToLocale(L"en_US")));
  struct Case {
    const wchar_t* name;
    std::string variant, siteLanguage, language, locale, openid, package;
  } cases[] = {
      {L"vorlane64_en_5566_setup", "64", "en", "en", "en_US", "5566", ""},
      {L"vorlane9_ens_5566_x", "9", "en", windowsCode, windowsLocale, "5566", ""},
      {L"VORLANE3_kr_mypackage_77_x", "3.0", "kr", "kr", "ko_KR", "77", "mypackage"},
      {L"vorlane9_kr_pkg_77_x", "9", "kr", "kr", "ko_KR", "77", ""},
      {L"vorlane9_kr_1234", "9", "en", windowsCode, windowsLocale, "100", ""},
      // An empty third part counts as digits: it is the (empty) id, no package.
      {L"vorlane9_kr__88_x", "9", "kr", "kr", "ko_KR", "100", ""},
      {L"vorlane9_kr_1234_pkgname_x", "9", "kr", "kr", "ko_KR", "1234", ""},
      {L"vorlane4_english_12_x", "4.0", "en", windowsCode, windowsLocale, "12", ""},
      {L"other_tw_1_x", "9", "tw", "tw", "zh_TW", "1", ""},
  };
  TempDir dir;
  for (const auto& c : cases) {
    auto facts = runProbeAs(dir, c.name);
    std::string name = utility::wideToUtf8(c.name);
    EXPECT_EQ(facts["variant"], c.variant) << name;
    EXPECT_EQ(facts["site_language"], c.siteLanguage) << name;
    EXPECT_EQ(facts["language"], c.language) << name;
    EXPECT_EQ(facts["locale"], c.locale) << name;
    EXPECT_EQ(facts["openid"], c.openid) << name;
    EXPECT_EQ(facts["package"], c.package) << name;
  }
}

namespace {

// A model over its own configuration, with the variant 9 registry key of the
// test prefix set up (or removed) by the test.
class ModelInstallDir : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, config_.registryKey().c_str()); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, config_.registryKey().c_str()); }
  void setRegistryFolder(const std::wstring& folder) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, config_.registryKey().c_str(), &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"InstallDir", 0, REG_SZ, (const BYTE*)folder.c_str(),
                   (DWORD)((folder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  CAppModel& model() {
    if (!model_) {
      ModelOptions options;
      options.config = &config_;
      options.reporter = &reporter_;
      model_ = std::make_unique<CAppModel>(options);
    }
    return *model_;
  }
  ConfigImp config_;
  CReporter reporter_{ReporterOptions{"http://127.0.0.1:9/", 600000}};
  std::unique_ptr<CAppModel> model_;
  TempDir dir_;
};

}  // namespace

TEST_F(ModelInstallDir, RegistryFolderWithThePlayerMeansAnInstallationExists) {
  writeFile(dir_.file(L"vdplayer.exe"), "MZ");
  setRegistryFolder(dir_.path());
  model()._calcInstallPath();
  EXPECT_EQ(model().m_installDir, dir_.path());
  EXPECT_TRUE(model().m_playerExist);
  EXPECT_TRUE(model().m_defaultInstallDir.empty());

  // Working the folder out again for another variant keeps what was found.
  config_.setPlayer4();
  model().reloadPlayerConfig();
  EXPECT_TRUE(model().m_playerExist);
  EXPECT_EQ(model().m_url, config_.packageUrl());
  EXPECT_EQ(model().m_spareUrl, config_.sparePackageUrl());
}

TEST_F(ModelInstallDir, RegistryFolderWithoutThePlayerIsKeptButNothingExists) {
  setRegistryFolder(dir_.path());
  model()._calcInstallPath();
  EXPECT_EQ(model().m_installDir, dir_.path());
  EXPECT_FALSE(model().m_playerExist);
  EXPECT_TRUE(model().m_defaultInstallDir.empty());
}

TEST_F(ModelInstallDir, NoRegistryFolderPicksTheBestDrive) {
  model()._calcInstallPath();
  const std::wstring subPath = L"Vorlane\\Vorlane9\\";
  ASSERT_GE(model().m_installDir.size(), subPath.size());
  EXPECT_EQ(model().m_installDir.substr(model().m_installDir.size() - subPath.size()), subPath);
  EXPECT_EQ(model().m_defaultInstallDir, model().m_installDir);
  EXPECT_FALSE(model().m_playerExist);
  // The key exists afterwards, so a later run can store its folder there.
  HKEY key;
  EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, config_.registryKey().c_str(), &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// Start-up in this process: its log lines carry the function that wrote them,
// and the reporter gets the rule that drops every event of variant 4.0.
TEST(ModelStart, InitLogsThePartsAndHandsTheReporterItsDropRule) {
  ConfigImp config;
  CReporter reporter{ReporterOptions{"http://127.0.0.1:9/", 600000}};
  TempDir dir;
  ModelOptions options;
  options.config = &config;
  options.reporter = &reporter;
  options.modulePath = dir.file(L"vorlane4_kr_1234_pkgname_x.exe");
  options.analytics.store = {"Software\\VorlaneTests\\vlen\\", dir.file(L"nuvaro.data")};
  CAppModel model(options);
  testing_support::LogCapture log;
  model.init(nullptr, nullptr);
  EXPECT_EQ(log.count("CAppModel::init", L"namne: vorlane4_kr_1234_pkgname_x"), 1);
  EXPECT_EQ(log.count("CAppModel::init", L"t:vorlane4, p:, p:1234 l:kr"), 1);

  reporter.addEvent(events::report::kRunDownloader);
  EXPECT_EQ(log.count("CReporter::addEvent", L"player 4 32. not report!"), 1);
  config.setPlayer9();
  reporter.addEvent(events::report::kRunDownloader);
  EXPECT_EQ(log.count("CReporter::addEvent", L"player 4 32. not report!"), 1);

  reporter.shutdown();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlaneTests");
}
