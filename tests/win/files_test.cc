// Files, folders, processes and known folders on the Windows backend: what is
// left on disk after each step, and the error codes the messages show.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/win32/win32.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;

class Win32FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"vd_files_test";
    fs::remove_all(fs::path(root_));
    fs::create_directories(fs::path(root_));
  }
  void TearDown() override { fs::remove_all(fs::path(root_)); }

  std::wstring Path(const wchar_t* name) const { return root_ + L"\\" + name; }

  static std::string Read(const std::wstring& path) {
    std::string bytes;
    return ReadWholeFile(path.c_str(), &bytes) == 0 ? bytes : "<unreadable>";
  }
  static void Write(const std::wstring& path, const std::string& bytes) {
    std::ofstream(fs::path(path), std::ios::binary) << bytes;
  }
  // The names in the test folder, so a leftover temporary file shows.
  std::wstring Listing() const {
    std::wstring names;
    for (const auto& entry : fs::directory_iterator(fs::path(root_)))
      names += entry.path().filename().wstring() + L";";
    return names;
  }

  std::wstring root_;
};

TEST_F(Win32FilesTest, OutputFileAppearsOnlyWhenCommitted) {
  std::wstring target = Path(L"Lib.dll");
  Write(target, "old");

  std::unique_ptr<OutputFile> file;
  ASSERT_EQ(CreateOutputFile(target.c_str(), &file), 0u);
  ASSERT_EQ(file->Write("new ", 4), 0u);
  ASSERT_EQ(file->Write("bytes", 5), 0u);
  EXPECT_EQ(Read(target), "old") << "the final name changed before the commit";
  EXPECT_EQ(file->Commit(), 0u);
  file.reset();
  EXPECT_EQ(Read(target), "new bytes");
  EXPECT_EQ(Listing(), L"Lib.dll;");

  // Abandoned: the existing file stays, nothing else is left.
  ASSERT_EQ(CreateOutputFile(target.c_str(), &file), 0u);
  ASSERT_EQ(file->Write("partial", 7), 0u);
  file.reset();
  EXPECT_EQ(Read(target), "new bytes");
  EXPECT_EQ(Listing(), L"Lib.dll;");
}

TEST_F(Win32FilesTest, ErrorCodesOfFoldersAndFiles) {
  fs::create_directories(fs::path(Path(L"Folder")));
  Write(Path(L"File.txt"), "x");
  Write(Path(L"Folder\\Copy.txt"), "old");
  std::unique_ptr<OutputFile> file;
  struct Case {
    const char* what;
    uint32_t result, expected;
  };
  const Case cases[] = {
      {"output onto a folder", CreateOutputFile(Path(L"Folder").c_str(), &file),
       kErrorAccessDenied},
      {"output in a missing folder", CreateOutputFile(Path(L"Missing\\a.bin").c_str(), &file),
       kErrorPathNotFound},
      {"tree created", CreateFolderTree(Path(L"A\\B\\C").c_str()), 0},
      {"tree again", CreateFolderTree(Path(L"A\\B\\C").c_str()), kErrorAlreadyExists},
      {"tree over a file", CreateFolderTree(Path(L"File.txt").c_str()), kErrorAlreadyExists},
      {"level created", CreateFolder(Path(L"A\\D").c_str()), 0},
      {"level again", CreateFolder(Path(L"A\\D").c_str()), kErrorAlreadyExists},
      {"level without parent", CreateFolder(Path(L"X\\Y").c_str()), kErrorPathNotFound},
      {"copy onto an existing file",
       CopyFileReplacing(Path(L"File.txt").c_str(), Path(L"Folder\\Copy.txt").c_str()), 0},
      {"copy of a missing file",
       CopyFileReplacing(Path(L"None.txt").c_str(), Path(L"A\\D\\Copy.txt").c_str()),
       kErrorFileNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.result, c.expected);
  }
  EXPECT_TRUE(FolderExists(Path(L"A\\B\\C").c_str()));
  EXPECT_FALSE(FolderExists(Path(L"File.txt").c_str()));
  EXPECT_TRUE(PathExists(Path(L"File.txt").c_str()));
  EXPECT_FALSE(PathExists(Path(L"None.txt").c_str()));
  EXPECT_EQ(Read(Path(L"Folder\\Copy.txt")), "x");
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(Path(L"None.txt").c_str(), &bytes), kErrorFileNotFound);
}

TEST_F(Win32FilesTest, StartedProgramRunsInItsFolder) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  // With the program named, and with the program taken from the command line.
  EXPECT_TRUE(StartProgram(cmd.c_str(), L"cmd.exe /c echo one> one.txt", root_.c_str(), kShowHide));
  EXPECT_TRUE(StartProgram(nullptr, (L"\"" + cmd + L"\" /c echo two> two.txt").c_str(),
                           root_.c_str(), kShowHide));
  EXPECT_FALSE(StartProgram(Path(L"missing.exe").c_str(), nullptr, nullptr, kShowNormal));
  for (const wchar_t* name : {L"one.txt", L"two.txt"}) {
    SCOPED_TRACE(testing::Message() << "file " << fs::path(name).string());
    for (int waited = 0; waited < 200 && !PathExists(Path(name).c_str()); ++waited)
      SleepMilliseconds(50);
    EXPECT_TRUE(PathExists(Path(name).c_str()));
  }
}

TEST(Win32KnownFoldersTest, TheThreeKnownFoldersExist) {
  for (KnownFolder folder :
       {KnownFolder::kProgramFiles, KnownFolder::kDocuments, KnownFolder::kLocalAppData}) {
    SCOPED_TRACE(static_cast<int>(folder));
    std::wstring path;
    ASSERT_TRUE(GetKnownFolder(folder, &path));
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), L":\\");
    EXPECT_TRUE(FolderExists(path.c_str()));
  }
}

}  // namespace
