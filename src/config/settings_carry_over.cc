#include "config/settings_carry_over.h"

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xml.h"
#include "setup/bounded_format.h"

namespace config {
namespace {

// How a setting's text is carried: numbers are normalised through a 32-bit
// integer, texts are copied as they are.
enum Kind { kNumber, kText };

struct CarriedSetting {
  const wchar_t* name;
  Kind kind;
};

// The settings that survive a reinstallation, in the order they are carried.
// The comment gives the section where the name stands in a fresh file; the
// lookup ignores sections.
constexpr CarriedSetting kCarriedSettings[] = {
    {L"AddToRecentJumpList", kNumber},                 // Misc
    {L"AlwaysOpenNewTab", kNumber},                    // Misc
    {L"AlwaysShowTabBar", kNumber},                    // Misc
    {L"AutoArrangeGlobal", kNumber},                   // Misc
    {L"CheckBoxSelection", kNumber},                   // Misc
    {L"CheckForNewVersionAtStart", kNumber},           // Misc
    {L"CloseMainWindowOnTabClose", kNumber},           // Misc
    {L"ConfirmCloseTabs", kNumber},                    // Misc
    {L"CSIDL_Start", kNumber},                         // Misc
    {L"DisableFolderSizesNetworkRemovable", kNumber},  // Misc
    {L"DisplayWindowHeight", kNumber},                 // Misc
    {L"DoubleClickTabClose", kNumber},                 // Misc
    {L"ExtendTabControl", kNumber},                    // Misc
    {L"ForceSameTabWidth", kNumber},                   // Misc
    {L"ForceSize", kNumber},                           // Misc
    {L"HandleZipFiles", kNumber},                      // Misc
    {L"HideDisplayWindowWhenTiling", kNumber},         // Misc
    {L"HideLinkExtensionGlobal", kNumber},             // Misc
    {L"HideSystemFilesGlobal", kNumber},               // Misc
    {L"HighlightFiles", kNumber},                      // Misc
    {L"InfoTipType", kNumber},                         // Misc
    {L"InsertSorted", kNumber},                        // Misc
    {L"Language", kNumber},                            // Misc
    {L"LastSelectedTab", kNumber},                     // Misc
    {L"OpenNewTabNextToCurrent", kNumber},             // Misc
    {L"OpenUnknownFilesInHexa", kNumber},              // Misc
    {L"OverwriteExistingFilesConfirmation", kNumber},  // Misc
    {L"SearchSidecar", kNumber},                       // Misc
    {L"ShowDisplayWindow", kNumber},                   // Misc
    {L"ShowFilePreviews", kNumber},                    // Misc
    {L"ShowFilesInHexa", kNumber},                     // Misc
    {L"ShowFriendlyDates", kNumber},                   // Misc
    {L"ShowFullTitlePath", kNumber},                   // Misc
    {L"ShowGridlinesGlobal", kNumber},                 // Misc
    {L"ShowHtmAsText", kNumber},                       // Misc
    {L"ShowInfoTips", kNumber},                        // Misc
    {L"ShowInGroups", kNumber},                        // Misc
    {L"ShowPrivilegeLevelInTitleBar", kNumber},        // Misc
    {L"ShowStatusBar", kNumber},                       // Misc
    {L"ShowViewPanel", kNumber},                       // Misc
    {L"ShowViewPanelMetadata", kNumber},               // Misc
    {L"ShowTabBarAtBottom", kNumber},                  // Misc
    {L"ShowTaskbarThumbnails", kNumber},               // Misc
    {L"ShowUserNameInTitleBar", kNumber},              // Misc
    {L"SortAscendingGlobal", kNumber},                 // Misc
    {L"SwitchToTabImage", kNumber},                    // Misc
    {L"SwitchToTabProgram", kNumber},                  // Misc
    {L"SwitchToTabVideo", kNumber},                    // Misc
    {L"TabWithCloseButton", kNumber},                  // Misc
    {L"ViewMode", kNumber},                            // Misc
    {L"Fichier3D", kNumber},                           // Colors
    {L"FichierArchive", kNumber},                      // Colors
    {L"FichierAudio", kNumber},                        // Colors
    {L"FichierBinaire", kNumber},                      // Colors
    {L"FichierDiskImage", kNumber},                    // Colors
    {L"FichierEbook", kNumber},                        // Colors
    {L"FichierImage", kNumber},                        // Colors
    {L"FichierInconnu", kNumber},                      // Colors
    {L"FichierProgramme", kNumber},                    // Colors
    {L"FichierTexte", kNumber},                        // Colors
    {L"FichierVideo", kNumber},                        // Colors
    {L"ShowHiddenFolders", kNumber},                   // TreeView
    {L"HighlightHiddenFolders", kNumber},              // TreeView
    {L"SynchronizeTreeview", kNumber},                 // TreeView
    {L"RGBTreeViewHiddenFolder", kNumber},             // TreeView
    {L"RGBTreeViewSystemFolder", kNumber},             // TreeView
    {L"RGBTreeViewHiddenAndSystem", kNumber},          // TreeView
    {L"TreeViewExpando", kNumber},                     // TreeView
    {L"TreeViewDelayEnabled", kNumber},                // TreeView
    {L"TreeViewWidth", kNumber},                       // TreeView
    {L"ViewPanelWidth", kNumber},                      // ViewPanel
    {L"TVAutoExpandSelected", kNumber},                // TreeView
    {L"UseFullRowSelect", kNumber},                    // TreeView
    {L"UseExplorerContextMenu", kNumber},              // ListView
    {L"AddValdorineToExplorerContextMenu", kNumber},   // ListView
    {L"UseValdorineContextMenu", kNumber},             // ListView
    {L"ShowExtensions", kNumber},                      // ListView
    {L"ShowFolders", kNumber},                         // Misc
    {L"ShowFolderSizes", kNumber},                     // ListView
    {L"ShowHiddenFiles", kNumber},                     // ListView
    {L"ShowHeaderInAllLists", kNumber},                // ListView
    {L"QuickToCurrentFolder", kNumber},                // QuickSave
    {L"QuickFormat", kNumber},                         // QuickSave
    {L"DefaultDirectory", kText},                      // Paths
    {L"GhostpclPath", kText},                          // Paths
    {L"GMicPath", kText},                              // Paths
    {L"NewTabDirectory", kText},                       // Paths
    {L"TempPath", kText},                              // Paths
};
static_assert(std::size(kCarriedSettings) == 88);

constexpr int kBatchCapacity = 300;
constexpr int kNotFound = -1;

bool IsSpace(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits gives 0, and a value out of range the nearest
// 32-bit bound.
int ParseSettingNumber(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  constexpr int64_t kBeyond = int64_t{INT32_MAX} + 2;  // past both bounds; stops overflow
  int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > kBeyond) value = kBeyond;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

bool Load(const wchar_t* path, std::unique_ptr<platform::XmlDocument>* document) {
  return platform::LoadXmlDocument(path, document) == platform::XmlLoadResult::kOk;
}

// Fills |pair| from the saved document. False when the setting is absent or
// not carried (a number reading -1, a text too long for the pair).
bool ReadPair(platform::XmlDocument& saved, const CarriedSetting& setting, SettingPair* pair) {
  platform::XmlDocument::Element element = saved.FindFirstElement(setting.name);
  if (element == nullptr) return false;
  std::wstring text = saved.GetText(element);
  if (setting.kind == kNumber) {
    int value = ParseSettingNumber(text);
    if (value == kNotFound) return false;
    setup::FormatInto(pair->value, L"%d", value);
  } else {
    // A cut folder path would name another folder: carry it whole or not at all.
    if (text.size() >= std::size(pair->value)) return false;
    setup::FormatInto(pair->value, L"%s", text);
  }
  setup::FormatInto(pair->name, L"%s", setting.name);
  return true;
}

}  // namespace

int ReadSettingNumber(const wchar_t* path, const wchar_t* name) {
  std::unique_ptr<platform::XmlDocument> document;
  if (!Load(path, &document)) return kNotFound;
  platform::XmlDocument::Element element = document->FindFirstElement(name);
  if (element == nullptr) return kNotFound;
  return ParseSettingNumber(document->GetText(element));
}

int ReadSettingText(const wchar_t* path, const wchar_t* name, wchar_t* buffer, int capacity) {
  std::unique_ptr<platform::XmlDocument> document;
  if (!Load(path, &document)) return 0;
  platform::XmlDocument::Element element = document->FindFirstElement(name);
  if (element == nullptr) return 0;
  if (capacity > 0) {
    setup::FormatBounded(buffer, static_cast<size_t>(capacity), L"%s", document->GetText(element));
  }
  return 1;
}

int WriteSettings(const wchar_t* path, const SettingPair* pairs, int count) {
  std::unique_ptr<platform::XmlDocument> document;
  if (!Load(path, &document)) return 0;
  for (int i = 0; i < count; ++i) {
    platform::XmlDocument::Element element = document->FindFirstElement(pairs[i].name);
    if (element != nullptr) document->SetText(element, pairs[i].value);
  }
  return document->Save() ? 1 : 0;
}

void CarryOverSettings(const wchar_t* freshPath, const wchar_t* savedPath) {
  // The saved copy is parsed once for all settings; a copy that cannot be
  // loaded provides none.
  std::unique_ptr<platform::XmlDocument> saved;
  if (!Load(savedPath, &saved)) return;
  // On the heap: the batch is too large for a comfortable stack frame.
  auto batch = std::make_unique<SettingPair[]>(kBatchCapacity);
  int count = 0;
  for (const CarriedSetting& setting : kCarriedSettings) {
    if (count < kBatchCapacity && ReadPair(*saved, setting, &batch[count])) ++count;
  }
  saved.reset();
  // Nothing found: the fresh file stays exactly as written.
  if (count > 0) WriteSettings(freshPath, batch.get(), count);
}

}  // namespace config
