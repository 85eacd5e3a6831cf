#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "setup/control_ids.h"
#include "setup/setup_state.h"
#include "support/setup_fixture.h"

namespace {

using namespace setup;
using platform::kDeviceArrival;
using platform::kDeviceRemoveComplete;

class MainWindowTest : public testing_support::SetupFixture {
 protected:
  std::vector<std::wstring> DriveItems() { return Control(IDC_USB_DRIVE).items; }
};

TEST_F(MainWindowTest, DriveListFollowsDevicesButEnablingWaitsForAClick) {
  struct Snapshot {
    std::vector<std::wstring> items;
    int selection;
    bool comboEnabled;
    bool labelEnabled;
  };
  std::vector<Snapshot> seen;
  auto snap = [&] {
    seen.push_back({Control(IDC_USB_DRIVE).items, Control(IDC_USB_DRIVE).selection,
                    Control(IDC_USB_DRIVE).enabled, Control(IDC_USB_DRIVE_LABEL).enabled});
  };
  system_.Then([&] {
    system_.Press(IDC_USB);
    snap();  // no drive: only the label
    AddRemovableDrive(L'F');
    AddRemovableDrive(L'E');
    system_.DeviceChange(kDeviceArrival);
    snap();  // filled and selected, still disabled
    system_.Press(IDC_USB);
    snap();  // now enabled
    system_.Press(IDC_STANDARD);
    snap();
  });
  EXPECT_EQ(RunSetup(), 1);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_TRUE(seen[0].items.empty());
  EXPECT_EQ(seen[0].selection, -1);
  EXPECT_FALSE(seen[0].comboEnabled);
  EXPECT_TRUE(seen[0].labelEnabled);
  EXPECT_EQ(seen[1].items, (std::vector<std::wstring>{L"E:\\", L"F:\\"}));
  EXPECT_EQ(seen[1].selection, 0);
  EXPECT_FALSE(seen[1].comboEnabled);
  EXPECT_TRUE(seen[2].comboEnabled);
  EXPECT_FALSE(seen[3].comboEnabled);
  EXPECT_FALSE(seen[3].labelEnabled);
}

TEST_F(MainWindowTest, LanguageSwitchMovesTheDriveListAndAppliesTheTexts) {
  struct Seen {
    int driveX;
    std::wstring title, heading, exitNote, usbLabel;
  };
  std::vector<Seen> seen;
  auto snap = [&] {
    seen.push_back({Control(IDC_USB_DRIVE).x, system_.window()->title(), Control(IDC_TITLE).text,
                    Control(IDC_EXIT, 1).note, Control(IDC_USB_DRIVE_LABEL).text});
  };
  system_.Then([&] {
    snap();
    system_.Select(IDC_LANGUAGE, 1);
    snap();
    system_.Select(IDC_LANGUAGE, 0);
    snap();
  });
  EXPECT_EQ(RunSetup(), 1);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].driveX, 130);
  EXPECT_EQ(seen[0].title, L"Valdorine Setup");
  EXPECT_EQ(seen[0].heading, L"Welcome to the Valdorine setup");
  EXPECT_EQ(seen[0].exitNote, L"(Exit the Install program)");
  EXPECT_EQ(seen[1].driveX, 180);
  EXPECT_EQ(seen[1].title, L"Installation de Valdorine");
  EXPECT_EQ(seen[1].usbLabel, L"Ins\u00e9rez une clef USB");
  EXPECT_EQ(seen[1].exitNote, L"(Ferme le programme d'installation)");
  // Back in English: the English set, not the texts of creation.
  EXPECT_EQ(seen[2].driveX, 130);
  EXPECT_EQ(seen[2].title, L"Valdorine setup");
  EXPECT_EQ(seen[2].heading, L"Welcome to the Valdorine Setup");
  EXPECT_EQ(seen[2].usbLabel, L"Insert a USB key");
  EXPECT_EQ(seen[2].exitNote, L"(Close the install program)");
}

TEST_F(MainWindowTest, LinksOpenThePageOfTheSelectedLanguage) {
  std::filesystem::path opened = temp_.path() / "opened.txt";
  std::filesystem::path opener = temp_.path() / "opener.sh";
  std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << opened.string() << "'\n";
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  setenv("VALDORINE_OPENER", opener.c_str(), 1);
  system_.Then([&] {
    system_.ClickLink(IDC_EULA_LINK);
    system_.Select(IDC_LANGUAGE, 1);
    system_.ClickLink(IDC_WHATSNEW_LINK);
  });
  EXPECT_EQ(RunSetup(), 1);
  setenv("VALDORINE_OPENER", "true", 1);
  // The opener runs in the background.
  std::string text;
  for (int i = 0; i < 100; ++i) {
    std::ifstream in(opened);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (std::count(text.begin(), text.end(), '\n') == 2) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NE(text.find("http://www.valdorine.example/eula_en.htm\n"), std::string::npos) << text;
  EXPECT_NE(text.find("http://www.valdorine.example/devureruzir_whatsnew_fr.htm\n"),
            std::string::npos)
      << text;
}

TEST_F(MainWindowTest, PagesSwitchAndTheNewsLinkStaysVisible) {
  bool addonShown = false, mainHidden = false, newsOnAddon = false, versionHidden = false,
       backToMain = false;
  system_.Then([&] {
    system_.Press(IDC_GOTO_ADDONS);
    addonShown = Control(IDC_BACK).visible && Control(IDC_EXIT, 1).visible;
    mainHidden = !Control(IDC_INSTALL_NOW).visible && !Control(IDC_EXIT, 0).visible &&
                 !Control(IDC_EULA_LINK).visible;
    newsOnAddon = Control(IDC_WHATSNEW_LINK).visible;
    versionHidden = !Control(IDC_SETUP_VERSION).visible;
    system_.Press(IDC_BACK);
    backToMain = Control(IDC_INSTALL_NOW).visible && !Control(IDC_BACK).visible;
  });
  EXPECT_EQ(RunSetup(), 1);
  EXPECT_TRUE(addonShown);
  EXPECT_TRUE(mainHidden);
  EXPECT_TRUE(newsOnAddon);
  EXPECT_TRUE(versionHidden);
  EXPECT_TRUE(backToMain);
}

}  // namespace
