#include "config/initialization_templates.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace config {
namespace {

// The product reads these files with a strict reader of its own, so their
// layout is fixed: CR LF after every line, one tab per level below the root,
// "<a/>" only for elements with attributes and nothing else, "<a></a>" for an
// empty text, attributes as ` name="value"` in table order.
constexpr std::string_view kLineEnd = "\r\n";

struct Attribute {
  std::string name;
  std::string value;
  bool inserted = false;  // the setup fills the value in
};

Attribute Inserted(std::string name) {
  return {std::move(name), {}, true};
}

class TemplateWriter {
 public:
  void Declaration() { Line(R"(<?xml version="1.0"?>)"); }
  void Comment(std::string_view text) { Line("<!-- " + std::string(text) + " -->"); }

  void Open(std::string_view name, const std::vector<Attribute>& attributes = {}) {
    Indent();
    StartTag(name, attributes);
    text_ += ">";
    text_ += kLineEnd;
    open_.emplace_back(name);
  }

  void Close() {
    std::string name = std::move(open_.back());
    open_.pop_back();
    Line("</" + name + ">");
  }

  void Empty(std::string_view name, const std::vector<Attribute>& attributes) {
    Indent();
    StartTag(name, attributes);
    text_ += "/>";
    text_ += kLineEnd;
  }

  // <name>text</name>; with |inserted| the setup fills the text in.
  void Text(std::string_view name, std::string_view text, bool inserted = false) {
    Indent();
    text_ += "<" + std::string(name) + ">";
    if (inserted) Cut();
    text_ += text;
    text_ += "</" + std::string(name) + ">";
    text_ += kLineEnd;
  }

  TemplatePieces Finish() {
    Cut();
    return std::move(pieces_);
  }

 private:
  void Line(const std::string& content) {
    Indent();
    text_ += content;
    text_ += kLineEnd;
  }

  void Indent() { text_.append(open_.size(), '\t'); }

  void StartTag(std::string_view name, const std::vector<Attribute>& attributes) {
    text_ += "<";
    text_ += name;
    for (const Attribute& attribute : attributes) {
      text_ += " " + attribute.name + "=\"";
      if (attribute.inserted) Cut();
      text_ += attribute.value + "\"";
    }
  }

  void Cut() {
    pieces_.push_back(std::move(text_));
    text_.clear();
  }

  std::string text_;
  std::vector<std::string> open_;
  TemplatePieces pieces_;
};

// ---- Valdorine.xml ----

struct SettingRow {
  const char* name;
  std::initializer_list<std::pair<const char*, const char*>> attributes;
};

const SettingRow kDisplaySettings[] = {
    {"DisplayCentreColor", {{"r", "241"}, {"g", "245"}, {"b", "251"}}},
    {"DisplayFont",
     {{"Height", "-13"},
      {"Width", "0"},
      {"Weight", "500"},
      {"Italic", "no"},
      {"Underline", "no"},
      {"Strikeout", "no"},
      {"Font", "Segoe UI"}}},
    {"DisplaySurroundColor", {{"r", "241"}, {"g", "245"}, {"b", "251"}}},
    {"DisplayTextColor", {{"r", "0"}, {"g", "0"}, {"b", "0"}}},
};

// The fields of the main window's WINDOWPLACEMENT.
const SettingRow kWindowPosition = {"Position",
                                    {{"Flags", "2"},
                                     {"ShowCmd", "3"},
                                     {"MinPositionX", "-1"},
                                     {"MinPositionY", "-1"},
                                     {"MaxPositionX", "-1"},
                                     {"MaxPositionY", "-1"},
                                     {"NormalPositionLeft", "-8"},
                                     {"NormalPositionTop", "-8"},
                                     {"NormalPositionRight", "1928"},
                                     {"NormalPositionBottom", "1048"}}};

// One list-view column: shown or not and its width, in the first tab and in
// the default column sets.
struct ColumnKey {
  const char* key;
  bool shownInTab;
  bool shownByDefault;
  int widthInTab;  // the default sets use kDefaultWidth throughout
};
constexpr int kDefaultWidth = 150;

constexpr ColumnKey kGenericColumns[] = {
    {"Name", true, true, 264},
    {"Type", true, true, 193},
    {"Size", true, true, 150},
    {"DateModified", true, true, 150},
    {"Attributes", false, false, 150},
    {"SizeOnDisk", false, false, 150},
    {"FileType", true, false, 150},
    {"Owner", false, false, 150},
    {"ProductName", false, false, 150},
    {"Company", false, false, 150},
    {"Description", false, false, 150},
    {"FileVersion", false, false, 150},
    {"ProductVersion", false, false, 150},
    {"ShortcutTo", false, false, 150},
    {"HardLinks", false, false, 150},
    {"Extension", false, false, 150},
    {"Created", false, false, 150},
    {"Accessed", false, false, 150},
    {"Title", false, false, 150},
    {"Subject", false, false, 150},
    {"Author", false, false, 150},
    {"Keywords", false, false, 150},
    {"Comment", false, false, 150},
    {"CameraModel", false, false, 150},
    {"DateTaken", false, false, 150},
    {"Width", false, false, 150},
    {"Height", false, false, 150},
};
constexpr ColumnKey kMyComputerColumns[] = {
    {"Name", true, true, 150},        {"TotalSize", true, true, 150},
    {"FreeSpace", false, false, 150}, {"FileSystem", false, false, 150},
    {"Type", false, false, 150},
};
constexpr ColumnKey kControlPanelColumns[] = {
    {"Name", true, true, 150},
};
constexpr ColumnKey kRecycleBinColumns[] = {
    {"Name", true, true, 150},        {"OriginalLocation", true, true, 150},
    {"DateDeleted", true, true, 150}, {"Size", true, true, 150},
    {"Type", true, true, 150},        {"DateModified", true, true, 150},
};
constexpr ColumnKey kPrintersColumns[] = {
    {"Name", true, true, 150},
    {"Documents", true, true, 150},
    {"Status", true, true, 150},
};
constexpr ColumnKey kNetworkColumns[] = {
    {"Name", true, true, 150},
    {"Owner", true, true, 150},
    {"Type", true, true, 150},
};
constexpr ColumnKey kNetworkPlacesColumns[] = {
    {"Name", true, true, 150},
};

struct ColumnSet {
  const char* name;
  const ColumnKey* keys;
  size_t count;
};

template <size_t N>
constexpr ColumnSet Columns(const char* name, const ColumnKey (&keys)[N]) {
  return {name, keys, N};
}

constexpr ColumnSet kColumnSets[] = {
    Columns("Generic", kGenericColumns),
    Columns("MyComputer", kMyComputerColumns),
    Columns("ControlPanel", kControlPanelColumns),
    Columns("RecycleBin", kRecycleBinColumns),
    Columns("Printers", kPrintersColumns),
    Columns("Network", kNetworkColumns),
    Columns("NetworkPlaces", kNetworkPlacesColumns),
};

std::vector<Attribute> SettingAttributes(const SettingRow& row) {
  std::vector<Attribute> attributes = {{"name", row.name}};
  for (const auto& [name, value] : row.attributes) attributes.push_back({name, value});
  return attributes;
}

std::vector<Attribute> ColumnAttributes(const ColumnSet& set, bool inTab) {
  std::vector<Attribute> attributes = {{"name", set.name}};
  for (size_t i = 0; i < set.count; ++i) {
    const ColumnKey& column = set.keys[i];
    bool shown = inTab ? column.shownInTab : column.shownByDefault;
    int width = inTab ? column.widthInTab : kDefaultWidth;
    attributes.push_back({column.key, shown ? "yes" : "no"});
    attributes.push_back({std::string(column.key) + "_Width", std::to_string(width)});
  }
  return attributes;
}

TemplatePieces BuildMainFile() {
  TemplateWriter w;
  w.Declaration();
  w.Comment("Fichier Main Ini de Valdorine");
  w.Open("Valdorine");

  w.Open("Settings");
  for (const SettingRow& row : kDisplaySettings) w.Empty("Setting", SettingAttributes(row));
  w.Close();

  w.Open("WindowPosition");
  w.Empty("Setting", SettingAttributes(kWindowPosition));
  w.Close();

  w.Open("Tabs");
  w.Open("Tab", {{"name", "0"},
                 Inserted("Directory"),
                 {"ApplyFilter", "no"},
                 {"AutoArrange", "yes"},
                 {"Filter", ""},
                 {"FilterCaseSensitive", "no"},
                 {"ShowGridlines", "yes"},
                 {"ShowHidden", "yes"},
                 {"ShowInGroups", "no"},
                 {"SortAscending", "yes"},
                 {"SortMode", "1"},
                 {"ViewMode", "7"},
                 {"Locked", "no"},
                 {"AddressLocked", "no"},
                 {"UseCustomName", "no"},
                 {"CustomName", ""}});
  w.Open("Columns");
  for (const ColumnSet& set : kColumnSets) w.Empty("Column", ColumnAttributes(set, true));
  w.Close();
  w.Close();
  w.Close();

  w.Open("DefaultColumns");
  for (const ColumnSet& set : kColumnSets) w.Empty("Column", ColumnAttributes(set, false));
  w.Close();

  w.Close();
  return w.Finish();
}

// ---- ValdorineIni.xml ----

struct SettingText {
  const char* name;
  const char* text;  // null: inserted by the setup
};

constexpr SettingText kColors[] = {
    {"Fichier3D", "0"},      {"FichierArchive", "0"},   {"FichierAudio", "0"},
    {"FichierBinaire", "0"}, {"FichierDiskImage", "0"}, {"FichierEbook", "0"},
    {"FichierImage", "0"},   {"FichierInconnu", "0"},   {"FichierProgramme", "0"},
    {"FichierTexte", "0"},   {"FichierVideo", "0"},
};

constexpr SettingText kListView[] = {
    {"AddValdorineToExplorerContextMenu", "1"},
    {"ShowExtensions", "1"},
    {"ShowFolderSizes", "0"},
    {"ShowHiddenFiles", "1"},
    {"ShowHeaderInAllLists", "1"},
    {"UseExplorerContextMenu", "0"},
    {"UseValdorineContextMenu", "0"},
};

constexpr SettingText kMisc[] = {
    {"AddToRecentJumpList", "1"},
    {"AlwaysOpenNewTab", "1"},
    {"AlwaysShowTabBar", "1"},
    {"AutoArrangeGlobal", "1"},
    {"CheckBoxSelection", "0"},
    {"CheckForNewVersionAtStart", "0"},
    {"CloseMainWindowOnTabClose", "1"},
    {"ConfirmCloseTabs", "0"},
    {"CSIDL_Start", ""},
    {"DisableFolderSizesNetworkRemovable", "0"},
    {"DisplayWindowHeight", "81"},
    {"DoubleClickTabClose", "1"},
    {"ExtendTabControl", "0"},
    {"ForceSameTabWidth", "0"},
    {"ForceSize", "0"},
    {"HandleZipFiles", "0"},
    {"HideDisplayWindowWhenTiling", "1"},
    {"HideLinkExtensionGlobal", "0"},
    {"HideSystemFilesGlobal", "0"},
    {"HighlightFiles", "2"},
    {"InfoTipType", "1"},
    {"InsertSorted", "1"},
    {"Language", "1"},
    {"LastSelectedTab", "0"},
    {"OpenNewTabNextToCurrent", "0"},
    {"OpenUnknownFilesInHexa", "1"},
    {"OverwriteExistingFilesConfirmation", "0"},
    {"SearchSidecar", "1"},
    {"ShowDisplayWindow", "1"},
    {"ShowFilePreviews", "1"},
    {"ShowFilesInHexa", "0"},
    {"ShowFolders", "1"},
    {"ShowFriendlyDates", "1"},
    {"ShowFullTitlePath", "1"},
    {"ShowGridlinesGlobal", "1"},
    {"ShowHtmAsText", "0"},
    {"ShowInfoTips", "1"},
    {"ShowInGroups", "0"},
    {"ShowPrivilegeLevelInTitleBar", "1"},
    {"ShowStatusBar", "1"},
    {"ShowTabBarAtBottom", "0"},
    {"ShowTaskbarThumbnails", "1"},
    {"ShowTransparency", "1"},
    {"ShowUserNameInTitleBar", "1"},
    {"ShowViewPanel", "0"},
    {"ShowViewPanelMetadata", "0"},
    {"SizeDisplayFormat", "1"},
    {"SortAscendingGlobal", "1"},
    {"StartupMode", "1"},
    {"SwitchToTabImage", "0"},
    {"SwitchToTabProgram", "0"},
    {"SwitchToTabVideo", "0"},
    {"TabWithCloseButton", "1"},
    {"ViewMode", "7"},
};

constexpr SettingText kPaths[] = {
    {"IsOnUSB", nullptr},  {"DefaultDirectory", nullptr}, {"GMicPath", " "},
    {"GhostpclPath", " "}, {"NewTabDirectory", nullptr},  {"TempPath", nullptr},
};

constexpr SettingText kQuickSave[] = {
    {"QuickToCurrentFolder", "0"},
    {"QuickFormat", "0"},
};

constexpr SettingText kTreeView[] = {
    {"ShowHiddenFolders", "1"},
    {"SynchronizeTreeview", "1"},
    {"RGBTreeViewHiddenFolder", "120"},
    {"RGBTreeViewSystemFolder", "255"},
    {"RGBTreeViewHiddenAndSystem", "100255"},
    {"TreeViewExpando", "1"},
    {"TreeViewDelayEnabled", "1"},
    {"TreeViewWidth", "334"},
    {"TVAutoExpandSelected", "0"},
    {"UseFullRowSelect", "1"},
    {"HighlightHiddenFolders", "1"},
};

constexpr SettingText kViewPanel[] = {
    {"ViewPanelWidth", "408"},
};

constexpr SettingText kVision[] = {
    {"VhxBackground", "0"},    {"VhxSelection", "0"},        {"VhxHexOddColumn", "0"},
    {"VhxHexEvenColumn", "0"}, {"VhxHexOddSelected", "0"},   {"VhxHexEvenSelected", "0"},
    {"VhxModifiedBytes", "0"}, {"VhxModifiedSelected", "0"}, {"VhxAddressColumn", "0"},
    {"VhxAsciiColumn", "0"},   {"VhxAsciiSelected", "0"},    {"VhxDecimalOffset", "1"},
    {"VhxDisplayType", "0"},   {"VhxFitToWindow", "0"},      {"VhxLowercaseDigit", "0"},
    {"VhxLowercaseHex", "0"},  {"VhxFontName", "Verdana"},   {"VhxFontSize", "10"},
    {"VhxFontBold", "0"},      {"VhxFG_1", "255"},           {"VhxBG_1", "16777215"},
    {"VhxFG_2", "0"},          {"VhxBG_2", "16777215"},      {"VhxFG_3", "16711680"},
    {"VhxBG_3", "16777215"},
};

struct Section {
  const char* name;
  const SettingText* settings;
  size_t count;
};

template <size_t N>
constexpr Section MakeSection(const char* name, const SettingText (&settings)[N]) {
  return {name, settings, N};
}

constexpr Section kSections[] = {
    MakeSection("Colors", kColors),       MakeSection("ListView", kListView),
    MakeSection("Misc", kMisc),           MakeSection("Paths", kPaths),
    MakeSection("QuickSave", kQuickSave), MakeSection("TreeView", kTreeView),
    MakeSection("ViewPanel", kViewPanel), MakeSection("Vision", kVision),
};

TemplatePieces BuildSettingsFile() {
  TemplateWriter w;
  w.Declaration();
  w.Comment("Fichier Ini de Valdorine");
  w.Open("ValdorineIni");
  for (const Section& section : kSections) {
    w.Open(section.name);
    for (size_t i = 0; i < section.count; ++i) {
      const SettingText& setting = section.settings[i];
      w.Text(setting.name, setting.text ? setting.text : "", setting.text == nullptr);
    }
    w.Close();
  }
  w.Close();
  return w.Finish();
}

}  // namespace

const TemplatePieces& MainFileTemplate() {
  static const TemplatePieces pieces = BuildMainFile();
  return pieces;
}

const TemplatePieces& SettingsFileTemplate() {
  static const TemplatePieces pieces = BuildSettingsFile();
  return pieces;
}

}  // namespace config
