// Shell links and special folders through the Windows shell, read back with
// the shell's own link object.
#include <windows.h>
// clang-format off
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/shell.h"

namespace {

namespace fs = std::filesystem;

struct LinkContents {
  HRESULT loaded = E_FAIL;
  std::wstring path;
  std::wstring description;
  std::wstring workingFolder;
  std::wstring arguments;
};

LinkContents ReadLink(const fs::path& file) {
  LinkContents contents;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return contents;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    contents.loaded = persist->Load(file.c_str(), STGM_READ);
    wchar_t buffer[MAX_PATH] = {};
    if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) contents.path = buffer;
    buffer[0] = 0;
    if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH))) contents.description = buffer;
    buffer[0] = 0;
    if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH))) contents.workingFolder = buffer;
    buffer[0] = 0;
    if (SUCCEEDED(link->GetArguments(buffer, MAX_PATH))) contents.arguments = buffer;
    persist->Release();
  }
  link->Release();
  return contents;
}

class ShellLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / (L"valdorine_links_" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  fs::path folder_;
};

TEST_F(ShellLinkTest, TheShellReadsBackTargetAndDescription) {
  struct Case {
    const wchar_t* name;
    const wchar_t* description;
  };
  const Case cases[] = {
      {L"Valdorine", L"Valdorine"},
      {L"Program Files\\Valdorine \u00e9t\u00e9", L"Valdorine"},
  };
  for (const Case& c : cases) {
    const fs::path installFolder = folder_ / c.name;
    SCOPED_TRACE(installFolder.string());
    fs::create_directories(installFolder);
    const fs::path target = installFolder / L"DevureruzIR.exe";
    { std::ofstream(target) << "MZ"; }
    const fs::path linkFile = folder_ / L"Valdorine.lnk";
    fs::remove(linkFile);

    EXPECT_TRUE(platform::CreateShellLink(target.c_str(), linkFile.c_str(), c.description));

    ASSERT_TRUE(fs::exists(linkFile));
    LinkContents contents = ReadLink(linkFile);
    ASSERT_EQ(contents.loaded, S_OK);
    EXPECT_EQ(_wcsicmp(contents.path.c_str(), target.c_str()), 0)
        << std::string(contents.path.begin(), contents.path.end());
    EXPECT_EQ(contents.description, c.description);
    EXPECT_EQ(contents.workingFolder, L"");
    EXPECT_EQ(contents.arguments, L"");
  }
}

TEST_F(ShellLinkTest, ALinkIntoAMissingFolderIsNotWrittenYetCountsAsMade) {
  const fs::path linkFile = folder_ / L"missing" / L"Valdorine.lnk";
  EXPECT_TRUE(platform::CreateShellLink(L"C:\\windows\\notepad.exe", linkFile.c_str(), L"V"));
  EXPECT_FALSE(fs::exists(linkFile));
}

TEST(SpecialFolderTest, TheShortcutFoldersExist) {
  for (platform::SpecialFolder folder :
       {platform::SpecialFolder::kStartMenu, platform::SpecialFolder::kPrograms,
        platform::SpecialFolder::kDesktopDirectory}) {
    SCOPED_TRACE(static_cast<int>(folder));
    std::wstring path;
    ASSERT_TRUE(platform::GetSpecialFolder(folder, &path));
    EXPECT_TRUE(fs::is_directory(path));
  }
  std::wstring startMenu, programs;
  platform::GetSpecialFolder(platform::SpecialFolder::kStartMenu, &startMenu);
  platform::GetSpecialFolder(platform::SpecialFolder::kPrograms, &programs);
  EXPECT_EQ(fs::path(programs).parent_path(), fs::path(startMenu));
}

}  // namespace
