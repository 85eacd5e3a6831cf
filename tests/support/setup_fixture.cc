#include "support/setup_fixture.h"

#include "install/main_file_set.h"
#include "setup/setup_state.h"
#include "setup/startup.h"

#ifndef _WIN32
#include "platform/posix/posix_config.h"
#include "platform/posix/posix_paths.h"
#endif

namespace testing_support {

void SetupFixture::SetUp() {
  setup::ResetSetupStateForTesting();
  install::SetPauseForTesting([](uint32_t) {});
#ifndef _WIN32
  platform::posix::ClearDrives();
  AddDrive(L'C');
  platform::posix::ResetFolders();
  platform::posix::SetKnownFolder(platform::KnownFolder::kProgramFiles, L"C:\\Program Files");
  platform::posix::SetKnownFolder(platform::KnownFolder::kDocuments, L"C:\\Users\\Ann\\Documents");
  platform::posix::SetKnownFolder(platform::KnownFolder::kLocalAppData,
                                  L"C:\\Users\\Ann\\AppData\\Local");
  platform::posix::ClearStartedPrograms();
#endif
}

void SetupFixture::TearDown() {
  install::SetPauseForTesting(nullptr);
  setup::ResetSetupStateForTesting();
}

int SetupFixture::RunSetup() {
  return setup::RunSetup(system_);
}

platform::headless::ControlState& SetupFixture::Control(int id, int index) {
  platform::headless::ControlState* c =
      system_.window() ? system_.window()->Find(id, index) : nullptr;
  if (!c) {
    ADD_FAILURE() << "no control " << id;
    static platform::headless::ControlState missing;
    return missing;
  }
  return *c;
}

std::filesystem::path SetupFixture::AddDrive(wchar_t letter) {
  std::filesystem::path folder = temp_.path() / (std::string("drive_") + static_cast<char>(letter));
  std::filesystem::create_directories(folder);
#ifndef _WIN32
  platform::posix::SetDriveFolder(letter, folder);
#endif
  return folder;
}

std::filesystem::path SetupFixture::Host(const std::wstring& windowsPath) const {
#ifndef _WIN32
  std::filesystem::path host;
  platform::posix::ResolvePath(windowsPath, &host);
  return host;
#else
  return std::filesystem::path(windowsPath);
#endif
}

}  // namespace testing_support
