// A whole standard install with the Windows backend (WinINet, MSXML, real
// folders and registry of the Wine prefix), driven through the headless
// window, from the local vendor server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "install/main_file_set.h"
#include "platform/headless/headless_window.h"
#include "platform/win32/win32.h"
#include "setup/control_ids.h"
#include "setup/setup_state.h"
#include "setup/startup.h"
#include "support/product_files.h"
#include "support/vendor_server.h"

namespace {

using namespace setup;

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring KnownLocalAppData() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  return n && n < MAX_PATH ? std::wstring(buffer) : std::wstring();
}

TEST(FullInstallTest, StandardInstallWithTheWindowsBackend) {
  testing_support::UseVendorServerAsProxy();
  testing_support::PublishProduct();
  testing_support::VendorServer::Get().ClearFaults();
  ResetSetupStateForTesting();
  install::SetPauseForTesting([](uint32_t) {});

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"vdfull\\Valdorine";
  std::filesystem::remove_all(std::filesystem::path(folder));

  platform::headless::HeadlessWindowSystem system;
  bool addonPage = false;
  system.Then([&] {
    auto* w = system.window();
    w->Find(IDC_INSTALL_FOLDER)->text = folder;
    w->Find(IDC_LAUNCH_AT_EXIT)->checked = false;
    system.Press(IDC_INSTALL_NOW);
    addonPage = w->Find(IDC_INSTALL_ADDONS)->visible;
  });
  EXPECT_EQ(RunSetup(system), 1);
  install::SetPauseForTesting(nullptr);
  for (const auto& m : system.messages) ADD_FAILURE() << "message box shown";
  EXPECT_TRUE(addonPage);

  std::wstring cache = std::wstring(state.cacheFolder);
  EXPECT_EQ(cache, KnownLocalAppData() + L"\\Valdorine\\cache");
  auto places = testing_support::ExpectedPlaces(folder, cache);
  ASSERT_EQ(places.size(), 139u);
  for (const auto& [path, place] : places) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadFile(place), testing_support::ProductFileContent(path));
  }
  EXPECT_FALSE(ReadFile(cache + L"\\Valdorine.xml").empty());
  EXPECT_FALSE(ReadFile(cache + L"\\ValdorineIni.xml").empty());

  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Valdorine", 0,
                          KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  wchar_t value[MAX_PATH];
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(key, L"UninstallString", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(value), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::wstring(value), L"\"" + folder + L"\\uninstall_valdorine.exe\"");
}

}  // namespace
