// The shortcuts of a standard installation, made through each platform's
// shell: three shell link files in the folders the system names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "install/shortcuts.h"
#include "platform/headless/headless_window.h"
#include "platform/shell.h"
#include "setup/setup_state.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include "platform/posix/posix_config.h"
#include "platform/posix/posix_paths.h"
#endif

namespace {

namespace fs = std::filesystem;

fs::path Host(const std::wstring& windowsPath) {
#ifndef _WIN32
  fs::path host;
  platform::posix::ResolvePath(windowsPath, &host);
  return host;
#else
  return fs::path(windowsPath);
#endif
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf16Bytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return bytes;
}

class ShortcutsSharedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::ResetSetupStateForTesting();
#ifndef _WIN32
    platform::posix::ClearDrives();
    platform::posix::SetDriveFolder(L'C', temp_.path());
    platform::posix::ResetFolders();
    for (platform::SpecialFolder folder : kFolders) {
      std::wstring path;
      platform::GetSpecialFolder(folder, &path);
      fs::create_directories(Host(path));
    }
    installFolder_ = L"C:\\Program Files\\Valdorine";
#else
    installFolder_ = temp_.path().wstring() + L"\\Valdorine";
#endif
    fs::create_directories(Host(installFolder_));
    std::ofstream(Host(installFolder_ + L"\\DevureruzIR.exe")) << "MZ";
    for (platform::SpecialFolder folder : kFolders) fs::remove(LinkFile(folder));
    setup::state.instance = &system_;
    wcscpy(setup::state.installFolder, installFolder_.c_str());
  }
  void TearDown() override {
    for (platform::SpecialFolder folder : kFolders) fs::remove(LinkFile(folder));
#ifndef _WIN32
    platform::posix::ResetFolders();
    platform::posix::ClearDrives();
#endif
    setup::ResetSetupStateForTesting();
  }

  static fs::path LinkFile(platform::SpecialFolder folder) {
    std::wstring path;
    if (!platform::GetSpecialFolder(folder, &path)) return {};
    return Host(path + L"\\Valdorine.lnk");
  }

  static constexpr platform::SpecialFolder kFolders[] = {
      platform::SpecialFolder::kStartMenu, platform::SpecialFolder::kPrograms,
      platform::SpecialFolder::kDesktopDirectory};
  testing_support::TempFolder temp_;
  platform::headless::HeadlessWindowSystem system_;
  std::wstring installFolder_;
};

TEST_F(ShortcutsSharedTest, ThreeShellLinksToTheProgramWithItsName) {
  setup::state.startMenuShortcut = 1;
  setup::state.programMenuShortcut = 1;
  setup::state.desktopShortcut = 1;
  install::CreateShortcuts();
  EXPECT_TRUE(system_.messages.empty());

  static const unsigned char kHeader[20] = {0x4C, 0,    0,    0,    0x01, 0x14, 0x02,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  for (platform::SpecialFolder folder : kFolders) {
    const fs::path file = LinkFile(folder);
    SCOPED_TRACE(file.string());
    ASSERT_TRUE(fs::exists(file));
    const std::string bytes = ReadBytes(file);
    ASSERT_GE(bytes.size(), 76u);
    EXPECT_EQ(bytes.compare(0, 20, reinterpret_cast<const char*>(kHeader), 20), 0);
    // The ANSI local path of the LinkInfo, and the description as a counted
    // UTF-16 name string (Wine's shell counts a terminator in it too).
    EXPECT_NE(bytes.find("\\DevureruzIR.exe"), std::string::npos);
    const std::string name = Utf16Bytes(L"Valdorine");
    EXPECT_TRUE(bytes.find(std::string("\x09\x00", 2) + name) != std::string::npos ||
                bytes.find(std::string("\x0A\x00", 2) + name + std::string(2, '\0')) !=
                    std::string::npos);
  }
}

}  // namespace
