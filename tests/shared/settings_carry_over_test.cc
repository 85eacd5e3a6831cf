#include "config/settings_carry_over.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/initialization_files.h"
#include "platform/files.h"
#include "support/cache_folder_fixture.h"

namespace config {
namespace {

using testing_support::ElementText;
using testing_support::ReadFile;
using testing_support::WriteFile;

// A settings file holding |body| (sections and settings) below its root.
std::string SettingsFile(std::string_view body) {
  return "<?xml version=\"1.0\"?>\r\n<!-- Fichier Ini de Valdorine -->\r\n<ValdorineIni>\r\n" +
         std::string(body) + "</ValdorineIni>\r\n";
}

// The fresh settings file of a standard installation, and the saved copy of
// an earlier one beside it.
class SettingsCarryOverTest : public testing_support::CacheFolderTest {
 protected:
  void SetUp() override {
    CacheFolderTest::SetUp();
    StartRun(base_, false);
    fresh_ = cache_ + L"\\ValdorineIni.xml";
    saved_ = cache_ + L"\\ValdorineIni_sav.xml";
  }

  // Writes the fresh file as an installation without earlier settings does.
  void WriteFreshFile() {
    ASSERT_EQ(WriteInitializationFiles(0), 1);
    ASSERT_TRUE(windows_.messages.empty());
  }

  std::optional<std::wstring> FreshText(const wchar_t* name) const {
    return ElementText(fresh_, name);
  }

  struct TextCase {
    const wchar_t* name;
    std::wstring expected;
  };

  void ExpectFreshTexts(const std::vector<TextCase>& cases) const {
    for (const TextCase& c : cases) {
      SCOPED_TRACE(ToUtf8(c.name));
      EXPECT_EQ(FreshText(c.name), c.expected);
    }
  }

  std::wstring fresh_;
  std::wstring saved_;
};

TEST_F(SettingsCarryOverTest, NumbersAreCarriedAsTheirDecimalValue) {
  WriteFreshFile();
  WriteFile(
      saved_,
      SettingsFile("\t<Misc>\r\n"
                   "\t\t<Language>12abc</Language>\r\n"
                   "\t\t<ViewMode>abc</ViewMode>\r\n"
                   "\t\t<HighlightFiles>+5</HighlightFiles>\r\n"
                   "\t\t<DisplayWindowHeight>-1</DisplayWindowHeight>\r\n"
                   "\t\t<InfoTipType>  42</InfoTipType>\r\n"
                   "\t\t<LastSelectedTab>-7</LastSelectedTab>\r\n"
                   "\t\t<CSIDL_Start></CSIDL_Start>\r\n"
                   "\t\t<ShowStatusBar>- 3</ShowStatusBar>\r\n"
                   "\t</Misc>\r\n"
                   "\t<TreeView>\r\n"
                   "\t\t<TreeViewWidth>007</TreeViewWidth>\r\n"
                   "\t\t<RGBTreeViewHiddenAndSystem>99999999999</RGBTreeViewHiddenAndSystem>\r\n"
                   "\t\t<RGBTreeViewSystemFolder>-99999999999</RGBTreeViewSystemFolder>\r\n"
                   "\t\t<RGBTreeViewHiddenFolder>2147483647</RGBTreeViewHiddenFolder>\r\n"
                   "\t</TreeView>\r\n"
                   "\t<ViewPanel>\r\n"
                   "\t\t<ViewPanelWidth>0x10</ViewPanelWidth>\r\n"
                   "\t</ViewPanel>\r\n"));
  CarryOverSettings(fresh_.c_str(), saved_.c_str());
  ExpectFreshTexts({
      {L"Language", L"12"},
      {L"ViewMode", L"0"},
      {L"HighlightFiles", L"5"},
      {L"DisplayWindowHeight", L"81"},  // -1 reads as "absent": never carried
      {L"InfoTipType", L"42"},
      {L"LastSelectedTab", L"-7"},
      {L"CSIDL_Start", L"0"},
      {L"ShowStatusBar", L"0"},
      {L"TreeViewWidth", L"7"},
      {L"RGBTreeViewHiddenAndSystem", L"2147483647"},
      {L"RGBTreeViewSystemFolder", L"-2147483648"},
      {L"RGBTreeViewHiddenFolder", L"2147483647"},
      {L"ViewPanelWidth", L"0"},
      // Not in the saved copy: the fresh value stays.
      {L"AlwaysOpenNewTab", L"1"},
      {L"TreeViewDelayEnabled", L"1"},
  });
  // The saved copy is left as it is.
  EXPECT_NE(ReadFile(saved_).find("<Language>12abc</Language>"), std::string::npos);
}

TEST_F(SettingsCarryOverTest, TextsAreCarriedWholeOrNotAtAll) {
  WriteFreshFile();
  const std::wstring longFolder = L"D:\\" + std::wstring(297, L'x');  // 300 characters
  const std::string longUtf8 = "D:\\" + std::string(297, 'x');
  const std::string tooLong(1100, 'y');
  WriteFile(saved_, SettingsFile("\t<Paths>\r\n"
                                 "\t\t<IsOnUSB>1</IsOnUSB>\r\n"
                                 "\t\t<DefaultDirectory></DefaultDirectory>\r\n"
                                 "\t\t<GMicPath>" +
                                 tooLong +
                                 "</GMicPath>\r\n"
                                 "\t\t<GhostpclPath>C:\\gs\\R&amp;D</GhostpclPath>\r\n"
                                 "\t\t<NewTabDirectory>" +
                                 longUtf8 +
                                 "</NewTabDirectory>\r\n"
                                 "\t\t<TempPath>\\Valdorine\\Temp</TempPath>\r\n"
                                 "\t</Paths>\r\n"
                                 "\t<Misc>\r\n"
                                 "\t\t<ShowTransparency>0</ShowTransparency>\r\n"
                                 "\t\t<StartupMode>0</StartupMode>\r\n"
                                 "\t\t<SizeDisplayFormat>0</SizeDisplayFormat>\r\n"
                                 "\t</Misc>\r\n"
                                 "\t<Vision>\r\n"
                                 "\t\t<VhxFontName>Arial</VhxFontName>\r\n"
                                 "\t</Vision>\r\n"));
  CarryOverSettings(fresh_.c_str(), saved_.c_str());
  ExpectFreshTexts({
      {L"DefaultDirectory", L""},
      {L"GhostpclPath", L"C:\\gs\\R&D"},
      {L"NewTabDirectory", longFolder},
      // Left by a portable installation, it wins over a standard one's.
      {L"TempPath", L"\\Valdorine\\Temp"},
      // Longer than a setting can hold: the fresh value stays.
      {L"GMicPath", L" "},
      // Outside the carried list.
      {L"IsOnUSB", L"0"},
      {L"ShowTransparency", L"1"},
      {L"StartupMode", L"1"},
      {L"SizeDisplayFormat", L"1"},
      {L"VhxFontName", L"Verdana"},
  });
}

TEST_F(SettingsCarryOverTest, SettingsAreFoundByNameAloneAndTheFirstOneWins) {
  WriteFreshFile();
  WriteFile(saved_, SettingsFile("\t<Vision>\r\n"
                                 "\t\t<Language>33</Language>\r\n"
                                 "\t</Vision>\r\n"
                                 "\t<Deep><Deeper><ViewMode>3</ViewMode></Deeper></Deep>\r\n"
                                 "\t<Misc>\r\n"
                                 "\t\t<ViewMode>5</ViewMode>\r\n"
                                 "\t\t<ShowStatusBar>0</ShowStatusBar>\r\n"
                                 "\t\t<ShowStatusBar>1</ShowStatusBar>\r\n"
                                 "\t\t<Language>1</Language>\r\n"
                                 "\t</Misc>\r\n"));
  CarryOverSettings(fresh_.c_str(), saved_.c_str());
  ExpectFreshTexts({{L"Language", L"33"}, {L"ViewMode", L"3"}, {L"ShowStatusBar", L"0"}});
}

TEST_F(SettingsCarryOverTest, ReinstallingOverTheSameTemplateChangesOnlyTheEmptyNumber) {
  WriteFreshFile();
  const std::string first = ReadFile(fresh_);
  // The second installation finds the first one's settings file.
  ASSERT_EQ(WriteInitializationFiles(0), 1);
  EXPECT_EQ(ReadFile(saved_), first);
  EXPECT_EQ(FreshText(L"CSIDL_Start"), L"0");
  ExpectFreshTexts({{L"RGBTreeViewHiddenAndSystem", L"100255"},
                    {L"DisplayWindowHeight", L"81"},
                    {L"DefaultDirectory", L"C:\\Users\\Ann\\Documents"},
                    {L"TempPath", L"C:\\Users\\Ann\\AppData\\Local\\Valdorine\\Temp"},
                    {L"VhxBG_3", L"16777215"}});
#ifndef _WIN32
  // Everything else stays byte for byte as the template wrote it.
  std::string expected = first;
  const std::string empty = "<CSIDL_Start></CSIDL_Start>";
  expected.replace(expected.find(empty), empty.size(), "<CSIDL_Start>0</CSIDL_Start>");
  EXPECT_EQ(ReadFile(fresh_), expected);
#endif
}

TEST_F(SettingsCarryOverTest, NothingToCarryLeavesTheFreshFileUntouched) {
  WriteFreshFile();
  const std::string fresh = ReadFile(fresh_);
  // The first half of a saved copy, as a full disk leaves it.
  const std::string truncated = fresh.substr(0, fresh.size() / 2);

  std::wstring secret = cache_ + L"\\secret.txt";
  WriteFile(secret, "SECRET");
  const std::string secretUrl = "file:///" + HostPath(secret).generic_string();

  struct Case {
    const char* name;
    std::optional<std::string> saved;  // nothing: no saved copy
  };
  const Case cases[] = {
      {"missing", std::nullopt},
      {"empty", ""},
      {"not XML", "Language=33\r\n"},
      {"truncated", truncated},
      {"two roots",
       "<?xml version=\"1.0\"?>\r\n<ValdorineIni><Language>33</Language></ValdorineIni>\r\n"
       "<ValdorineIni><Language>33</Language></ValdorineIni>\r\n"},
      {"text beside the root", "<ValdorineIni><Language>33</Language></ValdorineIni>tail"},
      {"none of the names",
       SettingsFile("\t<Vision>\r\n\t\t<VhxFontName>Arial</VhxFontName>\r\n\t</Vision>\r\n")},
      {"entity bomb",
       "<?xml version=\"1.0\"?>\r\n<!DOCTYPE ValdorineIni [\r\n"
       " <!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\r\n"
       " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\r\n"
       " <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\r\n"
       " <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\r\n"
       " <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\r\n"
       " <!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\r\n"
       " <!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\r\n"
       "]>\r\n<ValdorineIni><Paths><GMicPath>&g;</GMicPath></Paths>"
       "<Misc><Language>33</Language></Misc></ValdorineIni>\r\n"},
      {"external entity",
       "<?xml version=\"1.0\"?>\r\n<!DOCTYPE ValdorineIni [\r\n <!ENTITY secret SYSTEM \"" +
           secretUrl +
           "\">\r\n]>\r\n<ValdorineIni><Paths><TempPath>&secret;</TempPath></Paths>"
           "<Misc><Language>33</Language></Misc></ValdorineIni>\r\n"},
  };
  // Whole seconds: some file systems and libraries keep no finer times.
  const auto longAgo = std::chrono::time_point_cast<std::chrono::seconds>(
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(72));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A rewrite, even of the same bytes, would give the file a new time.
    std::filesystem::last_write_time(HostPath(fresh_), longAgo);
    std::error_code ignored;
    std::filesystem::remove(HostPath(saved_), ignored);
    if (c.saved) WriteFile(saved_, *c.saved);

    CarryOverSettings(fresh_.c_str(), saved_.c_str());
    EXPECT_EQ(ReadFile(fresh_), fresh);
    EXPECT_EQ(std::filesystem::last_write_time(HostPath(fresh_)), longAgo);
    EXPECT_EQ(platform::PathExists(saved_.c_str()), c.saved.has_value());
  }
}

TEST_F(SettingsCarryOverTest, AFreshFileThatDoesNotLoadIsLeftAsItWas) {
  WriteFile(fresh_, "<ValdorineIni><Language>1</Language>");
  WriteFile(saved_, SettingsFile("\t<Misc>\r\n\t\t<Language>33</Language>\r\n\t</Misc>\r\n"));
  CarryOverSettings(fresh_.c_str(), saved_.c_str());
  EXPECT_EQ(ReadFile(fresh_), "<ValdorineIni><Language>1</Language>");

  SettingPair pair = {L"Language", L"33"};
  EXPECT_EQ(WriteSettings(fresh_.c_str(), &pair, 1), 0);
  EXPECT_EQ(WriteSettings((cache_ + L"\\missing.xml").c_str(), &pair, 1), 0);
  EXPECT_FALSE(platform::PathExists((cache_ + L"\\missing.xml").c_str()));
}

TEST_F(SettingsCarryOverTest, SettingsMissingFromTheFreshFileAreSkipped) {
  WriteFile(fresh_, SettingsFile("\t<Misc>\r\n\t\t<ViewMode>7</ViewMode>\r\n\t</Misc>\r\n"));
  WriteFile(saved_, SettingsFile("\t<Misc>\r\n\t\t<Language>33</Language>\r\n"
                                 "\t\t<ViewMode>3</ViewMode>\r\n\t</Misc>\r\n"));
  CarryOverSettings(fresh_.c_str(), saved_.c_str());
  EXPECT_EQ(FreshText(L"ViewMode"), L"3");
  EXPECT_EQ(FreshText(L"Language"), std::nullopt);
}

TEST_F(SettingsCarryOverTest, SingleReadsAnswerAsTheInstallerExpects) {
  WriteFile(saved_, SettingsFile("\t<Paths>\r\n\t\t<TempPath>C:\\Temp\\Valdorine</TempPath>\r\n"
                                 "\t\t<Language>33</Language>\r\n\t</Paths>\r\n"));
  const std::wstring missing = cache_ + L"\\missing.xml";
  EXPECT_EQ(ReadSettingNumber(saved_.c_str(), L"Language"), 33);
  EXPECT_EQ(ReadSettingNumber(saved_.c_str(), L"ViewMode"), -1);
  EXPECT_EQ(ReadSettingNumber(missing.c_str(), L"Language"), -1);

  wchar_t buffer[8] = L"unset";
  EXPECT_EQ(ReadSettingText(saved_.c_str(), L"TempPath", buffer, 8), 1);
  EXPECT_EQ(std::wstring(buffer), L"C:\\Temp");  // cut to capacity - 1
  EXPECT_EQ(ReadSettingText(saved_.c_str(), L"GMicPath", buffer, 8), 0);
  EXPECT_EQ(ReadSettingText(missing.c_str(), L"TempPath", buffer, 8), 0);
}

}  // namespace
}  // namespace config
