// The posix registry: a file in the registry editor's export format.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "platform/errors.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/posix_registry.h"
#include "platform/registry.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::RegistryRoot;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file as the registry editor would show it: UTF-16LE after the mark.
std::wstring ReadUtf16(const fs::path& file) {
  std::string bytes = ReadBytes(file);
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return text;
}

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = temp_.path() / "registry.reg";
    platform::posix::SetRegistryFile(file_);
  }
  void TearDown() override { platform::posix::SetRegistryFile({}); }

  testing_support::TempFolder temp_;
  fs::path file_;
};

TEST_F(RegistryStoreTest, WritesWhatTheRegistryEditorExports) {
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::CreateRegistryKey(RegistryRoot::kLocalMachine,
                                        L"Software\\Quarnell\\Valdorine", L"REG_SZ", &key),
            0u);
  EXPECT_EQ(key->SetString(L"Path", L"\"C:\\Program Files\\Valdorine\\v.exe\""), 0u);
  EXPECT_EQ(key->SetString(L"Name", L"Caf\u00e9 \u2603"), 0u);
  EXPECT_EQ(key->SetString(nullptr, L"default"), 0u);

  const std::string bytes = ReadBytes(file_);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "byte order mark of a Unicode export";
  EXPECT_EQ(ReadUtf16(file_),
            L"Windows Registry Editor Version 5.00\r\n"
            L"\r\n"
            L"[HKEY_LOCAL_MACHINE\\Software\\Quarnell\\Valdorine]\r\n"
            L"\"Path\"=\"\\\"C:\\\\Program Files\\\\Valdorine\\\\v.exe\\\"\"\r\n"
            L"\"Name\"=\"Caf\u00e9 \u2603\"\r\n"
            L"@=\"default\"\r\n"
            L"\r\n");
}

TEST_F(RegistryStoreTest, ReadsDefaultValuesOfHandWrittenFiles) {
  // UTF-8, as a person or a test writes it, with the classes in all three
  // places HKEY_CLASSES_ROOT draws on.
  WriteText(file_,
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "; browsers\n"
            "[HKEY_CLASSES_ROOT\\.htm]\n"
            "@=\"htmlfile\"\n"
            "\"Content Type\"=\"text/html\"\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\n"
            "@=\"\\\"C:\\\\Program Files\\\\Browser\\\\b.exe\\\" \\\"%1\\\"\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt]\n"
            "@=\"txtfile\"\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.xml]\n"
            "@=\"machinexml\"\n"
            "[HKEY_CURRENT_USER\\Software\\Classes\\.xml]\n"
            "@=\"userxml\"\n"
            "[HKEY_CLASSES_ROOT\\nodefault]\n"
            "\"Other\"=\"x\"\n"
            "[HKEY_CLASSES_ROOT\\binary]\n"
            "@=hex(2):41,00,00,00\n");
  struct Case {
    RegistryRoot root;
    const wchar_t* key;
    uint32_t result;
    std::wstring value;
  };
  const Case cases[] = {
      {RegistryRoot::kClassesRoot, L".htm", 0, L"htmlfile"},
      {RegistryRoot::kClassesRoot, L".HTM", 0, L"htmlfile"},
      {RegistryRoot::kClassesRoot, L"htmlfile\\shell\\open\\command", 0,
       L"\"C:\\Program Files\\Browser\\b.exe\" \"%1\""},
      {RegistryRoot::kClassesRoot, L".txt", 0, L"txtfile"},
      {RegistryRoot::kClassesRoot, L".xml", 0, L"userxml"},
      {RegistryRoot::kLocalMachine, L"Software\\Classes\\.xml", 0, L"machinexml"},
      // A parent that has no section of its own exists all the same.
      {RegistryRoot::kClassesRoot, L"htmlfile\\shell", 0, L""},
      {RegistryRoot::kClassesRoot, L"nodefault", 0, L""},
      {RegistryRoot::kClassesRoot, L".pdf", platform::kErrorFileNotFound, L""},
      {RegistryRoot::kClassesRoot, L"htmlfile\\shell\\edit", platform::kErrorFileNotFound, L""},
      {RegistryRoot::kClassesRoot, L"binary", 13, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::posix::ToUtf8(c.key));
    std::wstring value = L"unchanged";
    EXPECT_EQ(platform::ReadRegistryDefault(c.root, c.key, &value), c.result);
    if (c.result == 0) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST_F(RegistryStoreTest, AChangeKeepsEverythingElseInTheFile) {
  WriteText(file_,
            "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
            "Valdorine]\r\n"
            "\"DisplayName\"=\"Valdorine (remove only)\"\r\n"
            "\"UninstallString\"=\"\\\"C:\\\\Old\\\\uninstall_valdorine.exe\\\"\"\r\n"
            "\"EstimatedSize\"=dword:00001000\r\n"
            "\"Blob\"=hex:01,02,\\\r\n"
            "  03,04\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
            "@=\"kept\"\r\n");
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(
      platform::CreateRegistryKey(
          RegistryRoot::kLocalMachine,
          L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Valdorine", L"REG_SZ", &key),
      0u);
  ASSERT_EQ(key->SetString(L"uninstallstring", L"\"D:\\New\\uninstall_valdorine.exe\""), 0u);

  EXPECT_EQ(ReadUtf16(file_),
            L"Windows Registry Editor Version 5.00\r\n"
            L"\r\n"
            L"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
            L"Valdorine]\r\n"
            L"\"DisplayName\"=\"Valdorine (remove only)\"\r\n"
            L"\"UninstallString\"=\"\\\"D:\\\\New\\\\uninstall_valdorine.exe\\\"\"\r\n"
            L"\"EstimatedSize\"=dword:00001000\r\n"
            L"\"Blob\"=hex:01,02,03,04\r\n"
            L"\r\n"
            L"[HKEY_CURRENT_USER\\Software\\Other]\r\n"
            L"@=\"kept\"\r\n"
            L"\r\n");
}

TEST_F(RegistryStoreTest, FailuresLeaveTheFileAsItWas) {
  const std::string original =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n@=\"a\"\n";
  struct Case {
    const char* name;
    std::function<void()> arrange;
    uint32_t result;
  };
  const fs::path locked = temp_.path() / "locked";
  const Case cases[] = {
      {"folder missing",
       [&] { platform::posix::SetRegistryFile(temp_.path() / "missing" / "registry.reg"); },
       platform::kErrorPathNotFound},
      {"folder read-only",
       [&] {
         fs::create_directories(locked);
         WriteText(locked / "registry.reg", original);
         ::chmod(locked.c_str(), 0555);
         platform::posix::SetRegistryFile(locked / "registry.reg");
       },
       platform::kErrorAccessDenied},
      {"not a registry file",
       [&] {
         WriteText(file_, "[HKEY_CURRENT_USER\\A]\n@=\"a\"\n");
         platform::posix::SetRegistryFile(file_);
       },
       1015},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange();
    if (::geteuid() == 0 && std::string(c.name) == "folder read-only") continue;
    const fs::path file = platform::posix::RegistryFile();
    const std::string before = ReadBytes(file);
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(platform::CreateRegistryKey(RegistryRoot::kLocalMachine, L"Software\\Valdorine",
                                          L"REG_SZ", &key),
              c.result);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(ReadBytes(file), before);
  }
}

TEST_F(RegistryStoreTest, DefaultsToAFileOnDriveC) {
  const fs::path previous = platform::posix::GetDriveFolder(L'C');
  platform::posix::SetRegistryFile({});
  platform::posix::SetDriveFolder(L'C', temp_.path());
  std::unique_ptr<platform::RegistryKey> key;
  EXPECT_EQ(platform::CreateRegistryKey(RegistryRoot::kCurrentUser, L"Software\\Valdorine",
                                        L"REG_SZ", &key),
            0u);
  EXPECT_TRUE(fs::exists(temp_.path() / "registry.reg"));
  platform::posix::SetDriveFolder(L'C', previous);
}

}  // namespace
