#include "support/setup_fixture.h"

#include "install/main_file_set.h"
#include "setup/setup_state.h"
#include "setup/startup.h"

#ifndef _WIN32
#include <cstdlib>
#include <fstream>

#include "platform/posix/posix_config.h"
#include "platform/posix/posix_drives.h"
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
  // The user's special folders exist, as on a real system.
  for (auto folder : {platform::SpecialFolder::kDesktopDirectory,
                      platform::SpecialFolder::kStartMenu, platform::SpecialFolder::kPrograms}) {
    std::wstring path;
    if (platform::GetSpecialFolder(folder, &path)) std::filesystem::create_directories(Host(path));
  }
  platform::posix::ClearStartedPrograms();
  // Links never start a real browser from a test.
  setenv("VALDORINE_OPENER", "true", 1);
  // No removable drive unless a test adds one: an empty sysfs and mount table.
  platform::posix::ResetDriveSources();
  std::filesystem::create_directories(temp_.path() / "sys/class/block");
  std::ofstream(temp_.path() / "mountinfo").flush();
  platform::posix::SetSysfsRoot(temp_.path() / "sys");
  platform::posix::SetMountInfoFile(temp_.path() / "mountinfo");
#endif
}

void SetupFixture::TearDown() {
  install::SetPauseForTesting(nullptr);
#ifndef _WIN32
  platform::posix::ResetDriveSources();
#endif
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

void SetupFixture::AddRemovableDrive(wchar_t letter) {
  AddDrive(letter);
#ifndef _WIN32
  std::string name = std::string("sd") + static_cast<char>(letter - L'A' + 'a');
  std::filesystem::path disk = temp_.path() / "sys/devices/pci0000:00/usb1/1-1/block" / name;
  std::filesystem::create_directories(disk);
  std::ofstream(disk / "removable") << "1\n";
  std::filesystem::create_symlink(disk, temp_.path() / "sys/class/block" / name);
  platform::posix::SetDriveDevice(letter, name);
#endif
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
