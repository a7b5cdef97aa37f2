// The main window as a screen reader in another process reads and drives it:
// the start page's controls, the licence unticked and ticked again through
// their default action with the install button following, and the progress
// bar's value moving once the install button is pressed.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "tests/app/main_frame_fixture.h"
#include "tests/support/accessible_reader.h"

using testing_support::AccessibleItem;
using testing_support::findAccessibleItem;
using testing_support::readAccessibleTree;

namespace {

class MainFrameAccessible : public main_frame_testing::MainFrameTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    MainFrameTest::SetUp();
  }
  void TearDown() override {
    MainFrameTest::TearDown();
    CoUninitialize();
  }
  // The state bits that tell a control's kind of life.
  static long state(const AccessibleItem& item) {
    return item.state & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE |
                         STATE_SYSTEM_DEFAULT | STATE_SYSTEM_LINKED);
  }
};

constexpr const wchar_t* kLicence = L"Read and agree to Vorlane";

TEST_F(MainFrameAccessible, AScreenReaderWalksTheStartPageTicksTheLicenceAndInstalls) {
  std::vector<AccessibleItem> items = readAccessibleTree(window);
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0].role, ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(items[0].name, L"Vorlane Installer");
  struct Expected {
    const wchar_t* name;
    long role;
    long state;
    const wchar_t* action;
  } expected[] = {
      {kLicence, ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED,
       L"Uncheck"},
      {kLicence, ROLE_SYSTEM_STATICTEXT, 0, L""},
      {L"Licensing Protocol", ROLE_SYSTEM_LINK, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED,
       L"Jump"},
      {L"Setup path", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
      {L"Install", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_DEFAULT, L"Press"},
      {L"Close", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
  };
  for (const Expected& e : expected) {
    const AccessibleItem* item = findAccessibleItem(items, e.name, e.role);
    ASSERT_NE(item, nullptr) << testing::PrintToString(e.name) << " " << e.role;
    EXPECT_EQ(state(*item), e.state) << testing::PrintToString(e.name);
    EXPECT_EQ(item->action, e.action) << testing::PrintToString(e.name);
  }
  // The folder panel is closed and the progress page not shown: neither is read.
  EXPECT_EQ(findAccessibleItem(items, L"Please select file path"), nullptr);
  EXPECT_EQ(findAccessibleItem(items, L"Downloading"), nullptr);

  // Unticking the licence through its default action disables Install;
  // ticking it again enables it.
  for (bool ticked : {false, true}) {
    ASSERT_EQ(testing_support::doAccessibleAction(window, kLicence), S_OK);
    items = readAccessibleTree(window);
    const AccessibleItem* licence = findAccessibleItem(items, kLicence, ROLE_SYSTEM_CHECKBUTTON);
    const AccessibleItem* install = findAccessibleItem(items, L"Install");
    ASSERT_TRUE(licence && install);
    EXPECT_EQ((licence->state & STATE_SYSTEM_CHECKED) != 0, ticked);
    EXPECT_EQ(licence->action, ticked ? L"Uncheck" : L"Check");
    EXPECT_EQ((install->state & STATE_SYSTEM_UNAVAILABLE) == 0, ticked);
  }

  // Pressing Install starts the download; the progress bar's value moves.
  model_testing::scriptHosts(
      {model_testing::serveFile(standins::package(L"signed"), "\"rate\":3000000")}, {});
  world.model().m_url =
      testing_support::testServerUrl("PRIMARY") + L"/download/package/Vorlane9.0.exe";
  world.model().m_spareUrl =
      testing_support::testServerUrl("SPARE") + L"/download/package/Vorlane9.0.exe";
  ASSERT_EQ(testing_support::doAccessibleAction(window, L"Install"), S_OK);
  std::vector<std::wstring> values;
  DWORD start = GetTickCount();
  while (values.size() < 2 && GetTickCount() - start < 30000) {
    items = readAccessibleTree(window);
    const AccessibleItem* bar = findAccessibleItem(items, L"Downloading", ROLE_SYSTEM_PROGRESSBAR);
    if (bar && bar->value != L"0%" && (values.empty() || values.back() != bar->value))
      values.push_back(bar->value);
  }
  ASSERT_EQ(values.size(), 2u);
  EXPECT_LT(std::stoi(values[0]), std::stoi(values[1])) << testing::PrintToString(values);
  EXPECT_TRUE(emulatorStarted(60000));  // the run ends as usual
}

}  // namespace
