// The uninstall entry and default values in the Windows registry, read back
// with the registry functions and exported with the registry editor.
#include "platform/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "install/shortcuts.h"
#include "platform/headless/headless_window.h"
#include "setup/setup_state.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Valdorine";

struct StoredValue {
  LONG result = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  DWORD bytes = 0;
  std::wstring text;
};

StoredValue Query(HKEY root, const wchar_t* subkey, const wchar_t* name) {
  StoredValue value;
  HKEY key;
  value.result = RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &key);
  if (value.result != ERROR_SUCCESS) return value;
  wchar_t buffer[1024] = {};
  value.bytes = sizeof buffer;
  value.result = RegQueryValueExW(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer),
                                  &value.bytes);
  value.text = buffer;
  RegCloseKey(key);
  return value;
}

class UninstallEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::ResetSetupStateForTesting();
    setup::state.instance = &system_;
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
  void TearDown() override {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    setup::ResetSetupStateForTesting();
  }
  platform::headless::HeadlessWindowSystem system_;
};

TEST_F(UninstallEntryTest, FourCompleteStringsInAKeyOfClassRegSz) {
  wcscpy(setup::state.installFolder, L"C:\\Program Files\\Valdorine");
  install::WriteUninstallRegistration();
  EXPECT_TRUE(system_.messages.empty());

  struct Case {
    const wchar_t* name;
    std::wstring data;
  };
  const Case cases[] = {
      {L"DisplayName", L"Valdorine (remove only)"},
      {L"UninstallString", L"\"C:\\Program Files\\Valdorine\\uninstall_valdorine.exe\""},
      {L"DisplayVersion", L"5.04.Build 16"},
      {L"Publisher", L"Quarnell"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
    StoredValue value = Query(HKEY_LOCAL_MACHINE, kUninstallKey, c.name);
    ASSERT_EQ(value.result, ERROR_SUCCESS);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.text, c.data);
    EXPECT_EQ(value.bytes, (c.data.size() + 1) * sizeof(wchar_t)) << "terminator counted";
  }

  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  wchar_t keyClass[32] = {};
  DWORD classLength = 32, values = 0;
  EXPECT_EQ(RegQueryInfoKeyW(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_STREQ(keyClass, L"REG_SZ");
  EXPECT_EQ(values, 4u);
}

TEST_F(UninstallEntryTest, AReinstallElsewhereReplacesTheCommandOnly) {
  wcscpy(setup::state.installFolder, L"C:\\Program Files\\Valdorine");
  install::WriteUninstallRegistration();
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  const wchar_t extra[] = L"kept";
  RegSetValueExW(key, L"Comments", 0, REG_SZ, reinterpret_cast<const BYTE*>(extra), sizeof extra);
  RegCloseKey(key);

  wcscpy(setup::state.installFolder, L"D:\\Apps\\");
  install::WriteUninstallRegistration();
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").text,
            L"\"D:\\Apps\\\\uninstall_valdorine.exe\"");
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").text,
            L"Valdorine (remove only)");
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, kUninstallKey, L"Comments").text, L"kept");
}

// The registry editor's export is what a person or a support script sees.
TEST_F(UninstallEntryTest, TheRegistryEditorExportsTheEntry) {
  wcscpy(setup::state.installFolder, L"C:\\Program Files\\Valdorine");
  install::WriteUninstallRegistration();

  wchar_t tempFolder[MAX_PATH];
  GetTempPathW(MAX_PATH, tempFolder);
  const fs::path exported = fs::path(tempFolder) / L"valdorine_export.reg";
  fs::remove(exported);
  std::wstring command = L"regedit.exe /E \"" + exported.wstring() + L"\" \"HKEY_LOCAL_MACHINE\\" +
                         kUninstallKey + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  std::string bytes;
  {
    std::ifstream in(exported, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ASSERT_GE(bytes.size(), 2u);
  ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  fs::remove(exported);
  for (const wchar_t* line : {
           L"Windows Registry Editor Version 5.00\r\n",
           L"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
           L"Valdorine]\r\n",
           L"\"DisplayName\"=\"Valdorine (remove only)\"\r\n",
           L"\"UninstallString\"=\"\\\"C:\\\\Program Files\\\\Valdorine\\\\"
           L"uninstall_valdorine.exe\\\"\"\r\n",
           L"\"DisplayVersion\"=\"5.04.Build 16\"\r\n",
           L"\"Publisher\"=\"Quarnell\"\r\n",
       }) {
    EXPECT_NE(text.find(line), std::wstring::npos)
        << std::string(line, line + wcslen(line)) << "\nnot in\n"
        << std::string(text.begin(), text.end());
  }
}

TEST(RegistryDefaultTest, ReadsWhatTheSystemHolds) {
  const wchar_t* base = L"Software\\ValdorineTest";
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ValdorineTest\\NoDefault", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  auto setDefault = [](const wchar_t* subkey, const std::wstring& value) {
    RegSetValueW(HKEY_CURRENT_USER, subkey, REG_SZ, value.c_str(),
                 static_cast<DWORD>(value.size() * sizeof(wchar_t)));
  };
  setDefault(L"Software\\ValdorineTest\\Short", L"htmlfile");
  setDefault(L"Software\\ValdorineTest\\Fits", std::wstring(259, L'a'));
  setDefault(L"Software\\ValdorineTest\\TooLong", std::wstring(260, L'a'));

  struct Case {
    const wchar_t* subkey;
    uint32_t result;
    std::wstring value;
  };
  const Case cases[] = {
      {L"Software\\ValdorineTest\\Short", 0, L"htmlfile"},
      {L"Software\\ValdorineTest\\Fits", 0, std::wstring(259, L'a')},
      {L"Software\\ValdorineTest\\TooLong", ERROR_MORE_DATA, L""},
      {L"Software\\ValdorineTest\\NoDefault", 0, L""},
      {L"Software\\ValdorineTest\\Missing", ERROR_FILE_NOT_FOUND, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.subkey, c.subkey + wcslen(c.subkey)));
    std::wstring value = L"unchanged";
    EXPECT_EQ(platform::ReadRegistryDefault(platform::RegistryRoot::kCurrentUser, c.subkey, &value),
              c.result);
    if (c.result == 0) {
      EXPECT_EQ(value, c.value);
    }
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, base);
}

}  // namespace
