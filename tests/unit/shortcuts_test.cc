// Shortcuts and the uninstall registration on the posix backend: shell link
// files on the drives, the registry in its export file.
#include "install/shortcuts.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_window.h"
#include "platform/posix/posix_config.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/posix_registry.h"
#include "platform/shell.h"
#include "setup/setup_state.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::SpecialFolder;
using platform::headless::HeadlessWindow;
using platform::headless::HeadlessWindowSystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}
uint32_t U32(const std::string& b, size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

std::wstring Utf16At(const std::string& b, size_t at, size_t count = std::string::npos) {
  std::wstring text;
  for (size_t i = at; i + 1 < b.size() && text.size() < count; i += 2) {
    wchar_t c = static_cast<wchar_t>(U16(b, i));
    if (count == std::string::npos && c == 0) break;
    text.push_back(c);
  }
  return text;
}

// What a shell link file says, read by the published layout.
struct LinkFile {
  bool valid = false;
  uint32_t flags = 0;
  uint32_t showCommand = 0;
  std::string ansiPath;
  std::wstring unicodePath;
  std::wstring name;
};

LinkFile ReadLink(const fs::path& file) {
  static const unsigned char kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  LinkFile link;
  const std::string b = ReadBytes(file);
  if (b.size() < 0x4C + 4 || U32(b, 0) != 0x4C || b.compare(4, 16, (const char*)kClsid, 16) != 0)
    return link;
  link.flags = U32(b, 20);
  link.showCommand = U32(b, 60);
  size_t at = 0x4C;
  if (link.flags & 0x2) {  // LinkInfo
    const size_t size = U32(b, at);
    if (U32(b, at + 4) < 0x24 || at + size > b.size()) return link;
    link.ansiPath = b.c_str() + at + U32(b, at + 16);
    link.unicodePath = Utf16At(b, at + U32(b, at + 28));
    at += size;
  }
  if (link.flags & 0x4) {  // NAME_STRING
    const size_t count = U16(b, at);
    link.name = Utf16At(b, at + 2, count);
    at += 2 + count * 2;
  }
  link.valid = at + 4 == b.size() && U32(b, at) == 0;  // terminal block last
  return link;
}

class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::ResetSetupStateForTesting();
    platform::posix::ClearDrives();
    platform::posix::SetDriveFolder(L'C', temp_.path() / "c");
    fs::create_directories(temp_.path() / "c");
    platform::posix::ResetFolders();
    for (const auto& [folder, path] : kFolders) {
      platform::posix::SetSpecialFolder(folder, path);
      fs::create_directories(Host(path));
    }
    platform::posix::SetRegistryFile(temp_.path() / "c" / "registry.reg");
    setup::state.instance = &system_;
    setup::state.mainWindow = &window_;
    wcscpy(setup::state.installFolder, L"C:\\Program Files\\Valdorine");
  }
  void TearDown() override {
    platform::posix::SetRegistryFile({});
    platform::posix::ResetFolders();
    platform::posix::ClearDrives();
    setup::ResetSetupStateForTesting();
  }

  fs::path Host(const std::wstring& path) {
    fs::path host;
    platform::posix::ResolvePath(path, &host);
    return host;
  }

  static constexpr std::array<std::pair<SpecialFolder, const wchar_t*>, 3> kFolders = {{
      {SpecialFolder::kStartMenu, L"C:\\Users\\Ann\\Start Menu"},
      {SpecialFolder::kPrograms, L"C:\\Users\\Ann\\Start Menu\\Programs"},
      {SpecialFolder::kDesktopDirectory, L"C:\\Users\\Ann\\Desktop"},
  }};

  testing_support::TempFolder temp_;
  HeadlessWindowSystem system_;
  HeadlessWindow window_{&system_};
};

TEST_F(ShortcutsTest, MakesTheShortcutsAskedForWhereTheFoldersAre) {
  struct Case {
    const char* name;
    int startMenu, programs, desktop;
    std::optional<SpecialFolder> unresolved;
    std::array<bool, 3> expected;  // Start menu, Programs, desktop
    bool desktopMessage;
  };
  const Case cases[] = {
      {"all three", 1, 1, 1, std::nullopt, {true, true, true}, false},
      {"none", 0, 0, 0, std::nullopt, {false, false, false}, false},
      {"desktop only", 0, 0, 1, std::nullopt, {false, false, true}, false},
      {"programs only", 0, 1, 0, std::nullopt, {false, true, false}, false},
      {"no desktop folder", 1, 1, 1, SpecialFolder::kDesktopDirectory, {true, true, false}, true},
      {"no desktop folder, not asked",
       1,
       0,
       0,
       SpecialFolder::kDesktopDirectory,
       {true, false, false},
       false},
      {"no Start menu folder", 1, 1, 1, SpecialFolder::kStartMenu, {false, true, true}, false},
      {"no Programs folder", 1, 1, 1, SpecialFolder::kPrograms, {true, false, true}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [folder, path] : kFolders) {
      fs::remove(Host(std::wstring(path) + L"\\Valdorine.lnk"));
      platform::posix::SetSpecialFolder(folder, path);
    }
    if (c.unresolved) platform::posix::SetSpecialFolder(*c.unresolved, std::nullopt);
    system_.messages.clear();
    setup::state.startMenuShortcut = c.startMenu;
    setup::state.programMenuShortcut = c.programs;
    setup::state.desktopShortcut = c.desktop;

    install::CreateShortcuts();

    for (size_t i = 0; i < kFolders.size(); ++i) {
      const fs::path file = Host(std::wstring(kFolders[i].second) + L"\\Valdorine.lnk");
      SCOPED_TRACE(file.string());
      ASSERT_EQ(fs::exists(file), c.expected[i]);
      if (!c.expected[i]) continue;
      LinkFile link = ReadLink(file);
      EXPECT_TRUE(link.valid);
      EXPECT_EQ(link.unicodePath, L"C:\\Program Files\\Valdorine\\DevureruzIR.exe");
      EXPECT_EQ(link.ansiPath, "C:\\Program Files\\Valdorine\\DevureruzIR.exe");
      EXPECT_EQ(link.name, L"Valdorine");
      EXPECT_EQ(link.flags, 0x86u) << "LinkInfo, name and Unicode; nothing else set";
      EXPECT_EQ(link.showCommand, 1u);
    }
    if (c.desktopMessage) {
      ASSERT_EQ(system_.messages.size(), 1u);
      EXPECT_EQ(system_.messages[0].text, L"Could not create the Valdorine Desktop Icon!");
      EXPECT_EQ(system_.messages[0].caption, L"Valdorine");
      EXPECT_EQ(system_.messages[0].icon, platform::MessageIcon::kWarning);
      EXPECT_TRUE(system_.messages[0].owned);
    } else {
      EXPECT_TRUE(system_.messages.empty());
    }
  }
}

TEST_F(ShortcutsTest, TargetsAreUsedAsFormatted) {
  struct Case {
    const wchar_t* installFolder;
    std::wstring target;
    std::string ansi;
  };
  const Case cases[] = {
      // A folder picked as a drive root ends in a backslash.
      {L"E:\\", L"E:\\\\DevureruzIR.exe", "E:\\\\DevureruzIR.exe"},
      {L"C:\\Programmes\\Valdorine \u00e9t\u00e9",
       L"C:\\Programmes\\Valdorine \u00e9t\u00e9\\DevureruzIR.exe",
       "C:\\Programmes\\Valdorine \xe9t\xe9\\DevureruzIR.exe"},
      {L"C:\\\u65e5\u672c", L"C:\\\u65e5\u672c\\DevureruzIR.exe", "C:\\??\\DevureruzIR.exe"},
  };
  setup::state.desktopShortcut = 1;
  const fs::path file = Host(L"C:\\Users\\Ann\\Desktop\\Valdorine.lnk");
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::posix::ToUtf8(c.installFolder));
    wcscpy(setup::state.installFolder, c.installFolder);
    install::CreateShortcuts();
    LinkFile link = ReadLink(file);
    EXPECT_TRUE(link.valid);
    EXPECT_EQ(link.unicodePath, c.target);
    EXPECT_EQ(link.ansiPath, c.ansi);
  }
}

TEST_F(ShortcutsTest, APathThatDoesNotFitMakesNoShortcut) {
  // 259 characters of folder leave no room for the link's name; a target
  // that does not fit would point at another file.
  const std::wstring deepDesktop = L"C:\\" + std::wstring(250, L'd');
  platform::posix::SetSpecialFolder(SpecialFolder::kDesktopDirectory, deepDesktop);
  fs::create_directories(Host(deepDesktop));
  setup::state.desktopShortcut = 1;
  install::CreateShortcuts();
  EXPECT_TRUE(fs::is_empty(Host(deepDesktop)));

  setup::state.desktopShortcut = 0;
  setup::state.startMenuShortcut = 1;
  const std::wstring longFolder = L"C:\\" + std::wstring(250, L'v');
  wcscpy(setup::state.installFolder, longFolder.c_str());
  install::CreateShortcuts();
  EXPECT_FALSE(fs::exists(Host(L"C:\\Users\\Ann\\Start Menu\\Valdorine.lnk")));
  EXPECT_TRUE(system_.messages.empty());
}

TEST_F(ShortcutsTest, ALinkIntoAMissingFolderIsAskedForButNotWritten) {
  EXPECT_EQ(install::CreateShellLink(L"C:\\V\\DevureruzIR.exe", L"C:\\Nowhere\\Valdorine.lnk",
                                     L"Valdorine"),
            1);
  EXPECT_FALSE(fs::exists(Host(L"C:\\Nowhere")));
  EXPECT_TRUE(system_.messages.empty());
}

TEST_F(ShortcutsTest, AnIndependentReaderAgrees) {
  if (std::system("command -v lnkinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "no lnkinfo";
  setup::state.startMenuShortcut = 1;
  install::CreateShortcuts();
  const fs::path file = Host(L"C:\\Users\\Ann\\Start Menu\\Valdorine.lnk");
  ASSERT_TRUE(fs::exists(file));
  std::string command = "lnkinfo '" + file.string() + "' 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << output;
  }
  EXPECT_NE(output.find("Local path"), std::string::npos) << output;
  EXPECT_NE(output.find("C:\\Program Files\\Valdorine\\DevureruzIR.exe"), std::string::npos)
      << output;
  EXPECT_NE(output.find("Description"), std::string::npos) << output;
  EXPECT_NE(output.find(": Valdorine\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("Error"), std::string::npos) << output;
}

// ---- Uninstall registration ----------------------------------------------

class UninstallRegistrationTest : public ShortcutsTest {
 protected:
  std::wstring Registry() {
    const std::string b = ReadBytes(temp_.path() / "c" / "registry.reg");
    return b.size() < 2 ? std::wstring() : Utf16At(b, 2, b.size() / 2 - 1);
  }
  static std::wstring Entry(const std::wstring& uninstallLine, const std::wstring& extra = L"") {
    return L"Windows Registry Editor Version 5.00\r\n\r\n"
           L"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
           L"Valdorine]\r\n"
           L"\"DisplayName\"=\"Valdorine (remove only)\"\r\n" +
           uninstallLine + L"\r\n" + L"\"DisplayVersion\"=\"5.04.Build 16\"\r\n" +
           L"\"Publisher\"=\"Quarnell\"\r\n" + extra + L"\r\n";
  }
};

TEST_F(UninstallRegistrationTest, WritesTheFourValuesWithTheUninstallerQuoted) {
  struct Case {
    const wchar_t* installFolder;
    std::wstring line;
  };
  const Case cases[] = {
      {L"C:\\Program Files\\Valdorine",
       L"\"UninstallString\"=\"\\\"C:\\\\Program "
       L"Files\\\\Valdorine\\\\uninstall_valdorine.exe\\\"\""},
      // A reinstall elsewhere replaces the command and nothing else.
      {L"D:\\Apps\\Valdorine",
       L"\"UninstallString\"=\"\\\"D:\\\\Apps\\\\Valdorine\\\\uninstall_valdorine.exe\\\"\""},
      {L"E:\\", L"\"UninstallString\"=\"\\\"E:\\\\\\\\uninstall_valdorine.exe\\\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::posix::ToUtf8(c.installFolder));
    wcscpy(setup::state.installFolder, c.installFolder);
    install::WriteUninstallRegistration();
    EXPECT_EQ(Registry(), Entry(c.line));
    EXPECT_TRUE(system_.messages.empty());
  }
}

TEST_F(UninstallRegistrationTest, KeepsValuesItDoesNotWrite) {
  std::ofstream(temp_.path() / "c" / "registry.reg")
      << "Windows Registry Editor Version 5.00\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
         "Valdorine]\n"
         "\"DisplayName\"=\"old\"\n"
         "\"UninstallString\"=\"C:\\\\Old\\\\uninstall_valdorine.exe\"\n"
         "\"DisplayVersion\"=\"5.03\"\n"
         "\"Publisher\"=\"Quarnell\"\n"
         "\"InstallLocation\"=\"C:\\\\Old\"\n";
  install::WriteUninstallRegistration();
  EXPECT_EQ(Registry(), Entry(L"\"UninstallString\"=\"\\\"C:\\\\Program Files\\\\Valdorine\\\\"
                              L"uninstall_valdorine.exe\\\"\"",
                              L"\"InstallLocation\"=\"C:\\\\Old\"\r\n"));
}

TEST_F(UninstallRegistrationTest, AKeyThatCannotBeMadeIsReportedWithoutOwner) {
  platform::posix::SetRegistryFile(temp_.path() / "missing" / "registry.reg");
  install::WriteUninstallRegistration();
  ASSERT_EQ(system_.messages.size(), 1u);
  EXPECT_EQ(system_.messages[0].text, L"Could not create the Uninstall registry key!");
  EXPECT_EQ(system_.messages[0].caption, L"Valdorine");
  EXPECT_EQ(system_.messages[0].icon, platform::MessageIcon::kInformation);
  EXPECT_FALSE(system_.messages[0].owned);
  EXPECT_FALSE(fs::exists(temp_.path() / "missing"));
}

}  // namespace
