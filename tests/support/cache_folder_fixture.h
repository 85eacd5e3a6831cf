// A setup run whose cache folder lies in a fresh host folder seen through a
// Windows path (the folder itself on Windows, drive C mapped onto it
// elsewhere), with the headless window for its messages: the ground of the
// initialization and settings file tests. Also the file helpers they share.
#ifndef VALDORINE_TESTS_SUPPORT_CACHE_FOLDER_FIXTURE_H
#define VALDORINE_TESTS_SUPPORT_CACHE_FOLDER_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/headless/headless_window.h"
#include "support/temp_folder.h"

namespace testing_support {

// The bytes of a file that should exist; fails the test (not fatally) when
// it cannot be read.
std::string ReadFile(const std::wstring& path);
// Creates or replaces |path| with |bytes| through the platform's files.
void WriteFile(const std::wstring& path, std::string_view bytes);

// The text of the first element named |name|, read with the platform's XML
// model; nothing when the file does not load or has no such element.
std::optional<std::wstring> ElementText(const std::wstring& path, const wchar_t* name);

class CacheFolderTest : public ::testing::Test {
 protected:
  // Maps the fresh host folder to |base_|. Subclasses then start a run.
  void SetUp() override;
  // Puts the drive table and the setup state back.
  void TearDown() override;

  // A new setup run on the headless window: a reset SetupState with the
  // cache folder |cache| (created first when |create|), and the user Ann's
  // start and temporary folders.
  void StartRun(const std::wstring& cache, bool create);
  // Points the run's cache folder at |folder|, creating it when |create|.
  void UseCacheFolder(const std::wstring& folder, bool create);

  // The host path of a Windows path of the test.
  std::filesystem::path HostPath(const std::wstring& path) const;

  TempFolder temp_;
  platform::headless::HeadlessWindowSystem windows_;
  std::wstring base_;   // the fresh folder as a Windows path
  std::wstring cache_;  // the run's cache folder
};

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_CACHE_FOLDER_FIXTURE_H
