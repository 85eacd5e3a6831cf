#include "setup/startup.h"

#include <gtest/gtest.h>

#include "platform/posix/posix_config.h"
#include "setup/control_ids.h"
#include "setup/setup_state.h"
#include "support/setup_fixture.h"

namespace {

using platform::KnownFolder;
using setup::state;

class StartupTest : public testing_support::SetupFixture {};

TEST_F(StartupTest, FatalErrorsEndTheProcessWithStatusZeroInOrder) {
  struct Case {
    const char* name;
    void (*prepare)(platform::headless::HeadlessWindowSystem&);
    const char* expected;
  };
  const Case cases[] = {
      {"no Program Files",
       [](auto&) {
         platform::posix::SetKnownFolder(KnownFolder::kProgramFiles, std::nullopt);
         platform::posix::SetKnownFolder(KnownFolder::kDocuments, std::nullopt);
       },
       "Could not find ProgramFile, aborting\\.\\.\\."},
      {"no Documents",
       [](auto&) { platform::posix::SetKnownFolder(KnownFolder::kDocuments, std::nullopt); },
       "Could not find Documents, aborting\\.\\.\\."},
      {"class refused",
       [](auto& system) {
         system.failRegisterClass = true;
         system.failCreateWindow = true;
       },
       "Could not register the main window, aborting\\.\\.\\."},
      {"window refused", [](auto& system) { system.failCreateWindow = true; },
       "Could not create the main window, aborting\\.\\.\\."},
  };
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::headless::HeadlessWindowSystem system;
    platform::posix::ResetFolders();
    c.prepare(system);
    // No owner and the error icon; no window was ever created.
    EXPECT_EXIT(setup::RunSetup(system), testing::ExitedWithCode(0),
                std::string("\\[message box, no owner, error\\] Valdorine Install: ") + c.expected);
  }
}

TEST_F(StartupTest, NormalEndShowsTheCentredWindowAndReturnsOne) {
  platform::headless::HeadlessWindow* seen = nullptr;
  system_.Then([&] { seen = system_.window(); });
  EXPECT_EQ(RunSetup(), 1);
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(seen->title(), L"Valdorine Setup");
  EXPECT_EQ(seen->x(), (1920 - 572) / 2);
  EXPECT_EQ(seen->y(), (1080 - 720) / 2);
  EXPECT_TRUE(system_.commonControlsInitialized);
  EXPECT_TRUE(system_.resourcesReleased);
  EXPECT_TRUE(seen->destroyed());
  EXPECT_EQ(std::wstring(state.programFilesFolder), L"C:\\Program Files");
  EXPECT_EQ(std::wstring(state.startFolder), L"C:\\Users\\Ann\\Documents");
  EXPECT_EQ(Control(setup::IDC_INSTALL_FOLDER).text, L"C:\\Program Files\\Valdorine");
  EXPECT_EQ(Control(setup::IDC_START_FOLDER).text, L"C:\\Users\\Ann\\Documents");
  EXPECT_TRUE(Control(setup::IDC_STANDARD).checked);
  EXPECT_TRUE(Control(setup::IDC_LAUNCH_AT_EXIT).checked);
  // Closing without an install starts nothing, whatever the box shows.
  EXPECT_TRUE(platform::posix::StartedPrograms().empty());
  EXPECT_TRUE(system_.messages.empty());
}

TEST_F(StartupTest, SmallScreenGivesNegativeCoordinates) {
  system_.screenWidth = 500;
  system_.screenHeight = 601;
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_EQ(system_.window()->x(), -36);
  EXPECT_EQ(system_.window()->y(), -59);  // (601 - 720) / 2 rounds toward zero
}

TEST_F(StartupTest, OverlongFolderIsCutWithoutFailing) {
  std::wstring longFolder = L"C:\\" + std::wstring(300, L'p');
  platform::posix::SetKnownFolder(KnownFolder::kProgramFiles, longFolder);
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_EQ(std::wstring(state.programFilesFolder), longFolder.substr(0, 259));
  EXPECT_EQ(std::wstring(state.installFolder), longFolder.substr(0, 259));
}

TEST_F(StartupTest, CloseBoxClosesWithoutConfirmation) {
  system_.Then([&] { system_.CloseBox(); });
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(system_.confirmations.empty());
  EXPECT_FALSE(system_.closedByHarness);
}

TEST_F(StartupTest, ExitAsksAndNoKeepsTheSetupRunning) {
  system_.AnswerExitConfirmation(false);
  system_.AnswerExitConfirmation(true);
  bool openAfterNo = false;
  system_.Then([&] { system_.Press(setup::IDC_EXIT); });
  system_.Then([&] {
    openAfterNo = !system_.window()->destroyed();
    system_.Press(setup::IDC_EXIT);
  });
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(openAfterNo);
  ASSERT_EQ(system_.confirmations.size(), 2u);
  EXPECT_EQ(system_.confirmations[0].question,
            L"Do you want to close the Valdorine installation Setup?");
  EXPECT_TRUE(system_.confirmations[0].owned);
  EXPECT_FALSE(system_.closedByHarness);
}

}  // namespace
