// A whole setup on the headless window: a fresh SetupState, a C: drive in a
// temporary folder, default known folders, and helpers to look at the window
// and at the files the setup leaves.
#ifndef VALDORINE_TESTS_SUPPORT_SETUP_FIXTURE_H
#define VALDORINE_TESTS_SUPPORT_SETUP_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/headless/headless_window.h"
#include "support/temp_folder.h"

namespace testing_support {

class SetupFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the setup until its window closes (the queued user actions done).
  int RunSetup();

  // The |index|th control with |id| (Exit buttons share one); fails the test
  // when missing.
  platform::headless::ControlState& Control(int id, int index = 0);

  // The host path of a Windows path on the test's drives.
  std::filesystem::path Host(const std::wstring& windowsPath) const;
  // Maps |letter| to a new folder below the test's temporary folder.
  std::filesystem::path AddDrive(wchar_t letter);
  // Maps |letter| to a folder on a removable USB disk of the fixture's sysfs.
  void AddRemovableDrive(wchar_t letter);

  TempFolder temp_;
  platform::headless::HeadlessWindowSystem system_;
};

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_SETUP_FIXTURE_H
