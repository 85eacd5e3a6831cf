#include "install/install_sequence.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "install/main_file_lists.h"
#include "platform/posix/posix_config.h"
#include "platform/posix/posix_paths.h"
#include "platform/shell.h"
#include "setup/control_ids.h"
#include "setup/setup_state.h"
#include "setup/startup.h"
#include "support/product_files.h"
#include "support/setup_fixture.h"
#include "support/vendor_server.h"

namespace {

using namespace setup;
using platform::headless::MessageRecord;
using testing_support::Fault;
using testing_support::VendorServer;

using testing_support::ExpectedPlaces;
using testing_support::ProductFileContent;

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InstallSequenceTest : public testing_support::SetupFixture {
 protected:
  static void SetUpTestSuite() { testing_support::PublishProduct(); }

  void SetUp() override {
    SetupFixture::SetUp();
    testing_support::UseVendorServerAsProxy();
    VendorServer::Get().ClearFaults();
    VendorServer::Get().ClearRequests();
  }

  // Queues a standard install into |folder| (the field as the user typed it).
  void InstallStandard(const std::wstring& folder) {
    system_.Then([this, folder] {
      Control(IDC_INSTALL_FOLDER).text = folder;
      system_.Press(IDC_INSTALL_NOW);
    });
  }
  void InstallPortable(const std::wstring& folder) {
    system_.Then([this, folder] {
      system_.Press(IDC_USB);
      // No removable drive in the fixture: the field is filled as the
      // portable-folder picker would.
      Control(IDC_USB_FOLDER).text = folder;
      system_.Press(IDC_INSTALL_NOW);
    });
  }

  void ExpectProductInPlace(const std::wstring& installFolder, const std::wstring& cacheFolder) {
    auto places = ExpectedPlaces(installFolder, cacheFolder);
    ASSERT_EQ(places.size(), 139u);
    for (const auto& [path, place] : places) {
      SCOPED_TRACE(path);
      EXPECT_EQ(ReadHostFile(Host(place)), ProductFileContent(path));
    }
  }

  std::vector<std::wstring> MessageTexts() const {
    std::vector<std::wstring> texts;
    for (const MessageRecord& m : system_.messages) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(InstallSequenceTest, StandardInstallPutsTheProductInPlaceAndShowsTheAddonPage) {
  system_.Then([this] {
    system_.Press(IDC_DESKTOP_SHORTCUT);
    system_.Press(IDC_START_MENU_SHORTCUT);
    system_.Press(IDC_PROGRAM_MENU_SHORTCUT);
  });
  InstallStandard(L"C:\\Program Files\\Valdorine");
  bool addonPageShown = false, installDisabled = false, gotoEnabled = false;
  int barAtEnd = 0;
  bool barHidden = false;
  system_.Then([&] {
    addonPageShown = Control(IDC_INSTALL_ADDONS).visible && !Control(IDC_INSTALL_NOW).visible;
    installDisabled = !Control(IDC_INSTALL_NOW).enabled;
    gotoEnabled = Control(IDC_GOTO_ADDONS).enabled;
    barAtEnd = Control(IDC_PROGRESS).position;
    barHidden = !Control(IDC_PROGRESS).visible;
  });
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(addonPageShown);
  EXPECT_TRUE(installDisabled);
  EXPECT_TRUE(gotoEnabled);
  EXPECT_EQ(barAtEnd, 148);
  EXPECT_TRUE(barHidden);
  // The bar counted every file, then stood full.
  const auto& positions = Control(IDC_PROGRESS).positionLog;
  ASSERT_GE(positions.size(), 2u);
  EXPECT_EQ(positions[positions.size() - 2], 139);

  std::wstring local = L"C:\\Users\\Ann\\AppData\\Local\\Valdorine";
  EXPECT_EQ(std::wstring(state.tempFolder), local + L"\\Temp");
  EXPECT_EQ(std::wstring(state.cacheFolder), local + L"\\cache");
  EXPECT_TRUE(std::filesystem::is_directory(Host(local + L"\\Temp")));
  ExpectProductInPlace(L"C:\\Program Files\\Valdorine", local + L"\\cache");
  // The lists' "skin" and "licences" land in the tree's "Skin" and
  // "Licences", even on a file system that tells case apart.
  std::set<std::string> topLevel;
  for (const auto& entry :
       std::filesystem::directory_iterator(Host(L"C:\\Program Files\\Valdorine")))
    if (entry.is_directory()) topLevel.insert(entry.path().filename().string());
  EXPECT_EQ(topLevel, (std::set<std::string>{"AddOns", "Language", "Licences", "Skin"}));
  for (const wchar_t* folder : install::kMainFolderTree) {
    SCOPED_TRACE(platform::posix::ToUtf8(folder));
    EXPECT_TRUE(std::filesystem::is_directory(
        Host(std::wstring(L"C:\\Program Files\\Valdorine\\") + folder)));
  }
  EXPECT_TRUE(std::filesystem::exists(Host(local + L"\\cache\\Valdorine.xml")));
  EXPECT_TRUE(std::filesystem::exists(Host(local + L"\\cache\\ValdorineIni.xml")));

  for (auto folder : {platform::SpecialFolder::kDesktopDirectory,
                      platform::SpecialFolder::kStartMenu, platform::SpecialFolder::kPrograms}) {
    std::wstring path;
    ASSERT_TRUE(platform::GetSpecialFolder(folder, &path));
    EXPECT_TRUE(std::filesystem::is_regular_file(Host(path + L"\\Valdorine.lnk")));
  }
  std::ifstream registry(Host(L"C:\\registry.reg"), std::ios::binary);
  EXPECT_TRUE(registry.good());

  // Launch at exit was ticked and the install ran to its end.
  const auto& started = platform::posix::StartedPrograms();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].program, L"C:\\Program Files\\Valdorine\\devureruzIR.exe");
  EXPECT_EQ(started[0].workingFolder, L"C:\\Program Files\\Valdorine");
  EXPECT_EQ(started[0].show, platform::kShowMaximized);

  // Every request went to the vendor host with the product's agent.
  auto requests = VendorServer::Get().Requests();
  EXPECT_EQ(requests.size(), 139u);
  for (const auto& r : requests) EXPECT_EQ(r.userAgent, "Valdorine");
}

TEST_F(InstallSequenceTest, PortableInstallKeepsWorkFoldersOnTheDrive) {
  AddDrive(L'E');
  system_.Then([&] { Control(IDC_LAUNCH_AT_EXIT).checked = false; });
  InstallPortable(L"E:\\Valdorine");
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(state.portable, 1);
  EXPECT_TRUE(std::filesystem::is_directory(Host(L"E:\\Valdorine\\Temp")));
  ExpectProductInPlace(L"E:\\Valdorine", L"E:\\Valdorine\\cache");
  // Nothing under Local AppData, no product started.
  EXPECT_FALSE(std::filesystem::exists(Host(L"C:\\Users\\Ann\\AppData\\Local\\Valdorine")));
  EXPECT_TRUE(platform::posix::StartedPrograms().empty());
}

TEST_F(InstallSequenceTest, RefusalsAndUncreatableFolders) {
  struct Case {
    const char* name;
    bool portable;
    bool french;
    std::wstring folder;
    std::wstring text;
    std::wstring caption;
    int focus;
    bool buttonsEnabledAfter;
  };
  std::filesystem::path c = AddDrive(L'C');
  std::ofstream(c / "plainfile") << "x";
  const Case cases[] = {
      {"standard, empty", false, false, L"", L"Please select the install folder", L"Valdorine",
       IDC_INSTALL_FOLDER, true},
      {"portable, empty", true, false, L"", L"Please select the install folder",
       L"Valdorine Install", IDC_USB_FOLDER, true},
      {"standard, empty, French", false, true, L"",
       L"Veuillez s\u00e9lectionner le dossier d'installation", L"Valdorine", IDC_INSTALL_FOLDER,
       true},
      {"drive without folder", false, false, L"Q:\\Valdorine",
       L"The install path cannot be created.\nAborting.", L"Valdorine Install", IDC_INSTALL_FOLDER,
       false},
      {"parent is a file", true, false, L"C:\\plainfile\\Valdorine",
       L"The install path cannot be created.\nAborting.", L"Valdorine Install", IDC_USB_FOLDER,
       false},
      {"longer than a path", false, false, L"C:\\" + std::wstring(300, L'v'),
       L"The install path cannot be created.\nAborting.", L"Valdorine Install", IDC_INSTALL_FOLDER,
       false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    platform::headless::HeadlessWindowSystem system;
    ResetSetupStateForTesting();
    bool installEnabled = false, gotoEnabled = false, focused = false;
    system.Then([&] {
      auto* w = system.window();
      // The language is taken again from the combo when the install starts.
      if (k.french) w->Find(IDC_LANGUAGE)->selection = 1;
      if (k.portable) system.Press(IDC_USB);
      w->Find(k.portable ? IDC_USB_FOLDER : IDC_INSTALL_FOLDER)->text = k.folder;
      system.Press(IDC_INSTALL_NOW);
      installEnabled = w->Find(IDC_INSTALL_NOW)->enabled;
      gotoEnabled = w->Find(IDC_GOTO_ADDONS)->enabled;
      focused = w->Find(k.focus)->focused;
    });
    EXPECT_EQ(setup::RunSetup(system), 1);
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text, k.text);
    EXPECT_EQ(system.messages[0].caption, k.caption);
    EXPECT_EQ(system.messages[0].icon, platform::MessageIcon::kError);
    EXPECT_TRUE(system.messages[0].owned);
    EXPECT_EQ(system.beeps, k.folder.empty() ? 1 : 0);
    EXPECT_TRUE(focused);
    EXPECT_EQ(installEnabled, k.buttonsEnabledAfter);
    EXPECT_EQ(gotoEnabled, k.buttonsEnabledAfter);
    EXPECT_TRUE(VendorServer::Get().Requests().empty());
    EXPECT_TRUE(platform::posix::StartedPrograms().empty());
  }
}

TEST_F(InstallSequenceTest, AnExistingFolderIsAccepted) {
  std::filesystem::create_directories(Host(L"C:\\Existing"));
  InstallStandard(L"C:\\Existing");
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(ReadHostFile(Host(L"C:\\Existing\\DevureruzIR.exe")),
            ProductFileContent("/download/devureruzir/main/exe/DevureruzIR.exe"));
}

TEST_F(InstallSequenceTest, FailedListsStopWithTheirMessageAndLetTheUserRetry) {
  struct Case {
    const char* name;
    std::string failingPath;
    std::vector<std::wstring> messages;
    bool completes;
    std::string notRequested;
  };
  const Case cases[] = {
      {"main list",
       "/download/devureruzir/main/exe/vdBatch.exe",
       {L"Could not copy the main files. Aborting."},
       false,
       "/download/devureruzir/main/langues/0001/vdBrowser_0001.dlk"},
      {"English list",
       "/download/devureruzir/main/langues/0001/vdMedia_0001.dlk",
       {L"Could not copy the EN language files. Aborting."},
       false,
       "/download/devureruzir/main/langues/0033/vdBrowser_0033.dlk"},
      {"French list",
       "/download/devureruzir/main/langues/0033/vdBrowser_0033.dlk",
       {L"Could not copy the FR language files. Aborting."},
       false,
       "/download/devureruzir/main/skin/ebook.png"},
      // The skin list stops at its failing entry; the next list still runs.
      {"skin list: passed over",
       "/download/devureruzir/main/skin/BMB.png",
       {},
       true,
       "/download/devureruzir/main/licences/7zip-license.txt"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    platform::headless::HeadlessWindowSystem system;
    ResetSetupStateForTesting();
    platform::posix::ClearStartedPrograms();
    VendorServer::Get().ClearRequests();
    VendorServer::Get().ClearFaults();
    VendorServer::Get().SetFault(k.failingPath, Fault::kStatus404NoLength);
    std::wstring folder = L"C:\\Try\\" + std::wstring(k.name, k.name + 4);
    bool installEnabled = false, progressHidden = false;
    system.Then([&] {
      auto* w = system.window();
      w->Find(IDC_INSTALL_FOLDER)->text = folder;
      system.Press(IDC_INSTALL_NOW);
      installEnabled = w->Find(IDC_INSTALL_NOW)->enabled;
      progressHidden = !w->Find(IDC_PROGRESS)->visible;
    });
    EXPECT_EQ(setup::RunSetup(system), 1);
    std::vector<std::wstring> texts;
    for (const auto& m : system.messages) {
      texts.push_back(m.text);
      EXPECT_FALSE(m.owned);
      EXPECT_EQ(m.caption, L"Valdorine Install");
    }
    EXPECT_EQ(texts, k.messages);
    EXPECT_EQ(installEnabled, !k.completes);
    EXPECT_TRUE(progressHidden);
    bool requested = false;
    for (const auto& r : VendorServer::Get().Requests())
      requested |= r.target.find(k.notRequested) != std::string::npos;
    EXPECT_EQ(requested, k.completes);
    // An incomplete product gets no settings and is never started.
    EXPECT_EQ(std::filesystem::exists(
                  Host(L"C:\\Users\\Ann\\AppData\\Local\\Valdorine\\cache\\Valdorine.xml")),
              k.completes);
    EXPECT_EQ(platform::posix::StartedPrograms().size(), k.completes ? 1u : 0u);
    std::filesystem::remove_all(Host(L"C:\\Users\\Ann\\AppData\\Local\\Valdorine"));
  }
}

TEST_F(InstallSequenceTest, ConfirmedExitDuringTheDownloadEndsQuietly) {
  VendorServer::Get().SetFault("/download/devureruzir/main/exe/DevureruzIR.exe", Fault::kSlowDrip);
  system_.AnswerExitConfirmation(true);
  InstallStandard(L"C:\\Quit");
  // Once the slow file is under way, the user presses Exit and says Yes.
  system_.DuringPumps([this] {
    if (Control(IDC_PROGRESS_FILE).painted.find(L"DevureruzIR") == std::wstring::npos) return false;
    system_.Press(IDC_EXIT);
    return true;
  });
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(system_.messages.empty());
  EXPECT_FALSE(system_.closedByHarness);
  EXPECT_FALSE(std::filesystem::exists(Host(L"C:\\Quit\\DevureruzIR.exe")));
  // Nothing after it was fetched, no partial file anywhere, nothing started.
  for (const auto& r : VendorServer::Get().Requests())
    EXPECT_EQ(r.target.find("vdTextView"), std::string::npos);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Host(L"C:\\Quit")))
    EXPECT_EQ(entry.path().extension().string().find("tmp"), std::string::npos) << entry.path();
  EXPECT_TRUE(platform::posix::StartedPrograms().empty());
  EXPECT_EQ(state.launchAtExit, 0);
}

TEST_F(InstallSequenceTest, FolderTreeCountsExistingNamesAndSkipsWhatIsThere) {
  // A plain file where a leaf of the tree belongs counts as existing: no
  // message, and the list that writes below it fails quietly.
  std::filesystem::create_directories(Host(L"C:\\Odd"));
  std::ofstream(Host(L"C:\\Odd") / "Skin") << "not a folder";
  InstallStandard(L"C:\\Odd");
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(Host(L"C:\\Odd\\Skin")));
  EXPECT_TRUE(std::filesystem::exists(Host(L"C:\\Odd\\DevureruzIR.exe")));
  EXPECT_TRUE(std::filesystem::exists(Host(L"C:\\Odd\\Licences\\zlib.txt")));

  // A second install into the complete tree creates nothing new and replaces
  // every file with the served one.
  std::ofstream(Host(L"C:\\Odd\\DevureruzIR.exe"), std::ios::trunc) << "old";
  std::filesystem::remove(Host(L"C:\\Odd\\Skin"));
  std::filesystem::create_directories(Host(L"C:\\Odd\\Skin"));
  platform::headless::HeadlessWindowSystem again;
  ResetSetupStateForTesting();
  again.Then([&] {
    again.window()->Find(IDC_INSTALL_FOLDER)->text = L"C:\\Odd";
    again.Press(IDC_INSTALL_NOW);
  });
  EXPECT_EQ(setup::RunSetup(again), 1);
  EXPECT_TRUE(again.messages.empty());
  ExpectProductInPlace(L"C:\\Odd", L"C:\\Users\\Ann\\AppData\\Local\\Valdorine\\cache");
}

TEST_F(InstallSequenceTest, AFileInPlaceOfAParentFolderStopsTheTreeWithItsMessage) {
  std::filesystem::create_directories(Host(L"C:\\Odd"));
  std::ofstream(Host(L"C:\\Odd") / "AddOns") << "not a folder";
  bool installEnabled = false;
  InstallStandard(L"C:\\Odd");
  system_.Then([&] { installEnabled = Control(IDC_INSTALL_NOW).enabled; });
  EXPECT_EQ(RunSetup(), 1);
  ASSERT_EQ(system_.messages.size(), 1u);
  EXPECT_EQ(system_.messages[0].text, L"Could not create C:\\Odd/AddOns/Archivers!");
  EXPECT_EQ(system_.messages[0].icon, platform::MessageIcon::kWarning);
  EXPECT_TRUE(system_.messages[0].owned);
  EXPECT_TRUE(installEnabled);
  EXPECT_TRUE(VendorServer::Get().Requests().empty());
}

class InstallFatalErrorTest : public testing_support::SetupFixture {};

TEST_F(InstallFatalErrorTest, WorkFolderFailuresEndTheProcess) {
  struct Case {
    const char* name;
    std::optional<std::wstring> localAppData;
    const char* expected;
  };
  const Case cases[] = {
      {"no Local AppData", std::nullopt,
       "\\[message box, no owner, error\\] Valdorine Install: Could not find the Local AppData "
       "path, aborting\\.\\.\\."},
      {"Local AppData on a missing drive", L"Q:\\AppData",
       "\\[message box, no owner, warning\\] Valdorine Install: Could not create the Valdorine "
       "temp directory!\nAborting\\."},
  };
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::posix::SetKnownFolder(platform::KnownFolder::kLocalAppData, c.localAppData);
    platform::headless::HeadlessWindowSystem system;
    system.Then([&] { system.Press(IDC_INSTALL_NOW); });
    EXPECT_EXIT(setup::RunSetup(system), testing::ExitedWithCode(0), c.expected);
  }
}

}  // namespace
