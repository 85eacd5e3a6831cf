#include "config/initialization_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/initialization_templates.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/headless/headless_window.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"
#include "support/cache_folder_fixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace config {
namespace {

using setup::state;
using testing_support::ElementText;
using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr char kCrLf[] = "\r\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(kCrLf, start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start != text.size()) lines.push_back(text.substr(start));  // unterminated rest
  return lines;
}

size_t Count(const std::string& text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Each run (see Fresh) has its own new cache folder below the fresh folder.
class InitializationFilesTest : public testing_support::CacheFolderTest {
 protected:
  void SetUp() override {
    CacheFolderTest::SetUp();
    Fresh();
  }

  // A new setup run on a new, empty cache folder (for tables of cases).
  void Fresh() {
    root_ = base_ + L"\\run" + std::to_wstring(runs_++);
    StartRun(root_ + L"\\cache", true);
  }

  std::wstring MainPath() const { return cache_ + L"\\Valdorine.xml"; }
  std::wstring SettingsPath() const { return cache_ + L"\\ValdorineIni.xml"; }
  std::wstring SavedPath() const { return cache_ + L"\\ValdorineIni_sav.xml"; }

  // The failure message for |path| with |error|, as the user sees it.
  void ExpectOneFailureMessage(const std::wstring& path, uint32_t error) {
    ASSERT_EQ(windows_.messages.size(), 1u);
    const platform::headless::MessageRecord& message = windows_.messages[0];
    EXPECT_EQ(message.text, L"Could not create the initialization file " + path + L"!\nError: " +
                                std::to_wstring(error) + L"\nAborting.");
    EXPECT_EQ(message.caption, L"Valdorine");
    EXPECT_EQ(message.icon, platform::MessageIcon::kError);
    EXPECT_FALSE(message.owned);
  }

  int runs_ = 0;
  std::wstring root_;
};

TEST(InitializationTemplatesTest, PiecesHaveTheFixedSizesAroundTheInsertedValues) {
  std::vector<size_t> main;
  for (const std::string& piece : MainFileTemplate()) main.push_back(piece.size());
  EXPECT_EQ(main, (std::vector<size_t>{717, 3952}));

  std::vector<size_t> settings;
  for (const std::string& piece : SettingsFileTemplate()) settings.push_back(piece.size());
  EXPECT_EQ(settings, (std::vector<size_t>{3328, 32, 100, 32, 1753}));

  // Plain ASCII, and each piece ends where a value goes in.
  for (const TemplatePieces* pieces : {&MainFileTemplate(), &SettingsFileTemplate()}) {
    for (const std::string& piece : *pieces) {
      for (char c : piece)
        ASSERT_TRUE(c == '\t' || c == '\r' || c == '\n' || (c >= ' ' && c < 127));
    }
  }
  EXPECT_TRUE(MainFileTemplate()[0].ends_with("Directory=\""));
  const std::vector<std::string>& s = SettingsFileTemplate();
  EXPECT_TRUE(s[0].ends_with("<IsOnUSB>"));
  EXPECT_TRUE(s[1].ends_with("<DefaultDirectory>"));
  EXPECT_TRUE(s[2].ends_with("<NewTabDirectory>"));
  EXPECT_TRUE(s[3].ends_with("<TempPath>"));
  EXPECT_TRUE(s[4].starts_with("</TempPath>"));
}

TEST_F(InitializationFilesTest, StandardInstallationWritesBothFilesFromTheTemplates) {
  ASSERT_EQ(WriteInitializationFiles(0), 1);
  EXPECT_TRUE(windows_.messages.empty());

  const std::string main = ReadFile(MainPath());
  const std::string settings = ReadFile(SettingsPath());
  EXPECT_EQ(main.size(), 4691u);
  EXPECT_EQ(settings.size(), 5331u);
  EXPECT_FALSE(platform::PathExists(SavedPath().c_str()));

  // The layout the product's reader expects: CR LF after every line, the last
  // one included, no blank lines, no trailing spaces, tabs for depth.
  struct FileCase {
    const char* name;
    const std::string& text;
    size_t lines;
    std::vector<std::pair<size_t, std::string>> exactLines;  // 1-based
  };
  const FileCase files[] = {
      {"Valdorine.xml",
       main,
       35,
       {{1, R"(<?xml version="1.0"?>)"},
        {2, "<!-- Fichier Main Ini de Valdorine -->"},
        {3, "<Valdorine>"},
        {5, "\t\t<Setting name=\"DisplayCentreColor\" r=\"241\" g=\"245\" b=\"251\"/>"},
        {14,
         "\t\t<Tab name=\"0\" Directory=\"C:\\Users\\Ann\\Documents\" ApplyFilter=\"no\" "
         "AutoArrange=\"yes\" Filter=\"\" FilterCaseSensitive=\"no\" ShowGridlines=\"yes\" "
         "ShowHidden=\"yes\" ShowInGroups=\"no\" SortAscending=\"yes\" SortMode=\"1\" "
         "ViewMode=\"7\" Locked=\"no\" AddressLocked=\"no\" UseCustomName=\"no\" "
         "CustomName=\"\">"},
        {18, "\t\t\t\t<Column name=\"ControlPanel\" Name=\"yes\" Name_Width=\"150\"/>"},
        {25, "\t</Tabs>"},
        {35, "</Valdorine>"}}},
      {"ValdorineIni.xml",
       settings,
       137,
       {{1, R"(<?xml version="1.0"?>)"},
        {2, "<!-- Fichier Ini de Valdorine -->"},
        {3, "<ValdorineIni>"},
        {4, "\t<Colors>"},
        {35, "\t\t<CSIDL_Start></CSIDL_Start>"},
        {83, "\t\t<IsOnUSB>0</IsOnUSB>"},
        {84, "\t\t<DefaultDirectory>C:\\Users\\Ann\\Documents</DefaultDirectory>"},
        {85, "\t\t<GMicPath> </GMicPath>"},
        {87, "\t\t<NewTabDirectory>C:\\Users\\Ann\\Documents</NewTabDirectory>"},
        {88, "\t\t<TempPath>C:\\Users\\Ann\\AppData\\Local\\Valdorine\\Temp</TempPath>"},
        {136, "\t</Vision>"},
        {137, "</ValdorineIni>"}}},
  };
  for (const FileCase& file : files) {
    SCOPED_TRACE(file.name);
    EXPECT_TRUE(file.text.ends_with(kCrLf));
    EXPECT_EQ(Count(file.text, "\n"), Count(file.text, kCrLf));
    std::vector<std::string> lines = Lines(file.text);
    ASSERT_EQ(lines.size(), file.lines);
    for (const std::string& line : lines) {
      ASSERT_FALSE(line.empty());
      ASSERT_NE(line.back(), ' ') << line;
    }
    for (const auto& [number, expected] : file.exactLines) EXPECT_EQ(lines[number - 1], expected);
  }

  // The two sets of columns differ only in the generic set.
  std::vector<std::string> lines = Lines(main);
  EXPECT_TRUE(lines[15].starts_with(
      "\t\t\t\t<Column name=\"Generic\" Name=\"yes\" Name_Width=\"264\" Type=\"yes\" "
      "Type_Width=\"193\""));
  EXPECT_NE(lines[15].find(" FileType=\"yes\" "), std::string::npos);
  EXPECT_TRUE(lines[26].starts_with(
      "\t\t<Column name=\"Generic\" Name=\"yes\" Name_Width=\"150\" Type=\"yes\" "
      "Type_Width=\"150\""));
  EXPECT_NE(lines[26].find(" FileType=\"no\" "), std::string::npos);
  EXPECT_TRUE(lines[26].ends_with(" Height=\"no\" Height_Width=\"150\"/>"));
  for (size_t i = 16; i < 22; ++i) EXPECT_EQ(lines[i].substr(2), lines[i + 11]);
}

TEST_F(InitializationFilesTest, PortableInstallationWritesTheDriveLessTempPath) {
  struct Case {
    const wchar_t* installFolder;
    const wchar_t* tempPath;
  };
  const Case cases[] = {
      {L"E:\\Valdorine", L"\\Valdorine\\Temp"},
      {L"E:\\", L"\\Temp"},
      {L"e:\\Tools\\Valdorine\\", L"\\Tools\\Valdorine\\Temp"},
      {L"E:", L"\\Temp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << ToUtf8(c.installFolder));
    Fresh();
    setup::FormatInto(state.installFolder, L"%s", c.installFolder);
    setup::FormatInto(state.tempFolder, L"E:\\Valdorine\\Temp");
    ASSERT_EQ(WriteInitializationFiles(1), 1);
    EXPECT_EQ(std::wstring(state.tempFolder), c.tempPath);
    EXPECT_EQ(ElementText(SettingsPath(), L"TempPath"), c.tempPath);
    EXPECT_EQ(ElementText(SettingsPath(), L"IsOnUSB"), L"1");
    const std::string settings = ReadFile(SettingsPath());
    EXPECT_NE(settings.find("<IsOnUSB>1</IsOnUSB>"), std::string::npos);
    EXPECT_NE(settings.find("<TempPath>" + ToUtf8(c.tempPath) + "</TempPath>"), std::string::npos);
  }
}

TEST_F(InitializationFilesTest, NonAsciiStartFolderIsWrittenInUtf8AtAllThreePlaces) {
  setup::FormatInto(state.startFolder, L"C:\\Users\\Ren\u00e9\\Documents");
  ASSERT_EQ(WriteInitializationFiles(0), 1);
  const std::string all = ReadFile(MainPath()) + ReadFile(SettingsPath());
  EXPECT_EQ(Count(all, "C:\\Users\\Ren\xC3\xA9\\Documents"), 3u);
  EXPECT_EQ(ReadFile(MainPath()).size(), 4669u + 24u);  // é takes two bytes
  EXPECT_EQ(ElementText(SettingsPath(), L"DefaultDirectory"), L"C:\\Users\\Ren\u00e9\\Documents");
}

TEST_F(InitializationFilesTest, MarkupCharactersInFoldersAreEscaped) {
  const wchar_t kFolder[] = L"C:\\R&D <new> \"x\" Ann's";
  setup::FormatInto(state.startFolder, L"%s", kFolder);
  setup::FormatInto(state.tempFolder, L"C:\\Temp & Co");
  ASSERT_EQ(WriteInitializationFiles(0), 1);

  EXPECT_NE(ReadFile(MainPath())
                .find("Directory=\"C:\\R&amp;D &lt;new&gt; &quot;x&quot; Ann&apos;s\" ApplyFilter"),
            std::string::npos);
  // Both files stay readable XML with the folders as they are.
  EXPECT_EQ(ElementText(SettingsPath(), L"DefaultDirectory"), kFolder);
  EXPECT_EQ(ElementText(SettingsPath(), L"NewTabDirectory"), kFolder);
  EXPECT_EQ(ElementText(SettingsPath(), L"TempPath"), L"C:\\Temp & Co");
  EXPECT_EQ(ElementText(MainPath(), L"Tab").has_value(), true);
}

TEST_F(InitializationFilesTest, ExistingFilesAreReplacedAndTheSettingsSavedFirst) {
  const std::string oldSettings =
      "<?xml version=\"1.0\"?>\r\n<ValdorineIni>\r\n\t<Misc>\r\n\t\t<Language>33</Language>\r\n"
      "\t</Misc>\r\n</ValdorineIni>\r\n";
  WriteFile(MainPath(), "whatever the product left");
  WriteFile(SettingsPath(), oldSettings);
  WriteFile(SavedPath(), "an older saved copy");

  ASSERT_EQ(WriteInitializationFiles(0), 1);
  EXPECT_TRUE(windows_.messages.empty());
  EXPECT_EQ(ReadFile(MainPath()).size(), 4691u);
  EXPECT_EQ(ReadFile(SavedPath()), oldSettings);
  // The earlier language survived; everything else is fresh.
  EXPECT_EQ(ElementText(SettingsPath(), L"Language"), L"33");
  EXPECT_EQ(ElementText(SettingsPath(), L"ViewMode"), L"7");
  EXPECT_EQ(ElementText(SettingsPath(), L"DefaultDirectory"), L"C:\\Users\\Ann\\Documents");
}

TEST_F(InitializationFilesTest, AnOlderSavedCopyIsNeitherReadNorTouchedWithoutSettingsFile) {
  const std::string older =
      "<?xml version=\"1.0\"?>\r\n<ValdorineIni><Language>33</Language></ValdorineIni>\r\n";
  WriteFile(SavedPath(), older);
  ASSERT_EQ(WriteInitializationFiles(0), 1);
  EXPECT_EQ(ReadFile(SavedPath()), older);
  EXPECT_EQ(ReadFile(SettingsPath()).size(), 5331u);
  EXPECT_EQ(ElementText(SettingsPath(), L"Language"), L"1");
}

TEST_F(InitializationFilesTest, MainFileThatCannotBeCreatedStopsBeforeAnythingIsWritten) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    uint32_t error;
  };
  const Case cases[] = {
      // Creating a file where a folder stands is refused as access denied.
      {"Valdorine.xml is a folder",
       [this] { ASSERT_EQ(platform::CreateFolder(MainPath().c_str()), 0u); },
       platform::kErrorAccessDenied},
      {"cache folder missing", [this] { UseCacheFolder(root_ + L"\\missing", false); },
       platform::kErrorPathNotFound},
      {"cache folder is a file",
       [this] {
         WriteFile(root_ + L"\\plain", "a file");
         UseCacheFolder(root_ + L"\\plain", false);
       },
       platform::kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    WriteFile(SettingsPath(), "<ValdorineIni><Language>33</Language></ValdorineIni>");
    c.arrange();
    EXPECT_EQ(WriteInitializationFiles(0), 0);
    ExpectOneFailureMessage(MainPath(), c.error);
    EXPECT_FALSE(platform::PathExists(SavedPath().c_str()));
  }
}

#ifndef _WIN32
TEST_F(InitializationFilesTest, ReadOnlyCacheFolderIsReportedAsAccessDenied) {
  // The owner's permission bits do not bind the superuser.
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permission bits deny nothing";
  std::filesystem::permissions(
      HostPath(cache_), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_EQ(WriteInitializationFiles(0), 0);
  ExpectOneFailureMessage(MainPath(), platform::kErrorAccessDenied);
  EXPECT_TRUE(std::filesystem::is_empty(HostPath(cache_)));
}
#endif

TEST_F(InitializationFilesTest, ACopyThatFailsLeavesTheSettingsFileAsItWas) {
  // Without the saved copy the fresh file would wipe the user's settings.
  struct Case {
    const char* name;
    bool settingsIsFolder;
  };
  const Case cases[] = {{"the saved copy's name is taken by a folder", false},
                        {"the settings file is a folder", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    const std::string oldSettings = "<ValdorineIni><Language>33</Language></ValdorineIni>";
    if (c.settingsIsFolder) {
      ASSERT_EQ(platform::CreateFolder(SettingsPath().c_str()), 0u);
    } else {
      WriteFile(SettingsPath(), oldSettings);
      ASSERT_EQ(platform::CreateFolder(SavedPath().c_str()), 0u);
    }
    EXPECT_EQ(WriteInitializationFiles(0), 0);
    ExpectOneFailureMessage(SavedPath(), platform::kErrorAccessDenied);
    EXPECT_EQ(ReadFile(MainPath()).size(), 4691u);
    if (c.settingsIsFolder)
      EXPECT_TRUE(platform::FolderExists(SettingsPath().c_str()));
    else
      EXPECT_EQ(ReadFile(SettingsPath()), oldSettings);
  }
}

TEST_F(InitializationFilesTest, PathsTooLongForTheirBufferAreNeverUsed) {
  // A cache folder path of |length| characters below the test's root.
  auto cacheOfLength = [this](size_t length) {
    return root_ + L"\\" + std::wstring(length - root_.size() - 1, L'c');
  };
  struct Case {
    const char* name;
    size_t cacheLength;
    bool settingsExist;
    const wchar_t* failing;  // the file named by the message
    bool mainWritten;
  };
  const Case cases[] = {
      // 250 + 14 > 259: even the main file's path does not fit.
      {"main file", 250, false, L"\\Valdorine.xml", false},
      // 245 + 14 = 259 fits; 245 + 17 does not.
      {"settings file", 245, false, L"\\ValdorineIni.xml", true},
      // 240 + 17 fits; the saved copy's 240 + 21 does not, and without it the
      // earlier settings would be lost.
      {"saved copy", 240, true, L"\\ValdorineIni_sav.xml", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    std::wstring folder = cacheOfLength(c.cacheLength);
    UseCacheFolder(folder, c.cacheLength < 248);  // longer: too long to create on Windows
    const std::string earlier = "<ValdorineIni><Language>33</Language></ValdorineIni>";
    if (c.settingsExist) WriteFile(SettingsPath(), earlier);

    EXPECT_EQ(WriteInitializationFiles(0), 0);
    ExpectOneFailureMessage(folder + c.failing, platform::kErrorFilenameExcedRange);
    EXPECT_EQ(platform::PathExists(MainPath().c_str()), c.mainWritten);
    if (c.settingsExist) {
      EXPECT_EQ(ReadFile(SettingsPath()), earlier);
    }
    if (c.cacheLength < 248) {
      // Nothing under a cut name.
      size_t files = 0;
      for (const auto& entry : std::filesystem::directory_iterator(HostPath(folder))) {
        (void)entry;
        ++files;
      }
      EXPECT_EQ(files, (c.mainWritten ? 1u : 0u) + (c.settingsExist ? 1u : 0u));
    }
  }
}

TEST(ToUtf8Test, ConvertsEveryPlaneAndReplacesBrokenSurrogates) {
  struct Case {
    const char* name;
    std::wstring text;
    std::string utf8;
  };
  std::wstring lone = L"a";
  lone += static_cast<wchar_t>(0xD800);
  lone += L"b";
  const Case cases[] = {
      {"empty", L"", ""},
      {"ascii", L"C:\\Users", "C:\\Users"},
      {"two bytes", L"\u00e9", "\xC3\xA9"},
      {"three bytes", L"\u20ac", "\xE2\x82\xAC"},
      {"four bytes", L"\U0001F600", "\xF0\x9F\x98\x80"},
      {"lone surrogate", lone,
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToUtf8(c.text.c_str()), c.utf8);
  }
}

}  // namespace
}  // namespace config
