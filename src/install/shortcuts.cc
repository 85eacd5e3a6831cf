// Shortcuts and the uninstall registration of a standard installation.
#include "install/shortcuts.h"

#include <cstdint>
#include <memory>
#include <string>

#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"

namespace install {
namespace {

using setup::kPathCapacity;
using setup::SetupState;

constexpr wchar_t kLinkName[] = L"\\Valdorine.lnk";
constexpr wchar_t kTargetFormat[] = L"%s\\DevureruzIR.exe";
constexpr wchar_t kDescription[] = L"Valdorine";

// One row per shortcut, in the order they are made. Only the desktop says so
// when its folder is missing: the Start menu and the Programs menu are skipped
// silently.
struct ShortcutPlace {
  int32_t SetupState::*wanted;
  platform::SpecialFolder folder;
  const wchar_t* missingFolderMessage;
};
constexpr ShortcutPlace kShortcutPlaces[] = {
    {&SetupState::startMenuShortcut, platform::SpecialFolder::kStartMenu, nullptr},
    {&SetupState::programMenuShortcut, platform::SpecialFolder::kPrograms, nullptr},
    {&SetupState::desktopShortcut, platform::SpecialFolder::kDesktopDirectory,
     L"Could not create the Valdorine Desktop Icon!"},
};

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Valdorine";
constexpr wchar_t kUninstallKeyClass[] = L"REG_SZ";

void ShowMessage(platform::Window* owner, const wchar_t* text, platform::MessageIcon icon) {
  if (setup::state.instance) setup::state.instance->ShowMessage(owner, text, L"Valdorine", icon);
}

}  // namespace

int CreateShellLink(const wchar_t* target, const wchar_t* linkPath, const wchar_t* description) {
  return platform::CreateShellLink(target, linkPath, description) ? 1 : 0;
}

void CreateShortcuts() {
  for (const ShortcutPlace& place : kShortcutPlaces) {
    if (setup::state.*place.wanted != 1) continue;
    std::wstring folder;
    if (!platform::GetSpecialFolder(place.folder, &folder)) {
      if (place.missingFolderMessage) {
        ShowMessage(setup::state.mainWindow, place.missingFolderMessage,
                    platform::MessageIcon::kWarning);
      }
      continue;
    }
    wchar_t linkPath[kPathCapacity];
    wchar_t target[kPathCapacity];
    // A cut path would write the link under another name or point it at
    // another file: such a shortcut is skipped.
    bool fits = setup::FormatBounded(linkPath, kPathCapacity, L"%s", folder) == setup::kFormatOk &&
                setup::AppendBounded(linkPath, kPathCapacity, kLinkName) == setup::kFormatOk &&
                setup::FormatBounded(target, kPathCapacity, kTargetFormat,
                                     setup::state.installFolder) == setup::kFormatOk;
    // Best effort: a shortcut that cannot be written is not reported.
    if (fits) CreateShellLink(target, linkPath, kDescription);
  }
}

void WriteUninstallRegistration() {
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::CreateRegistryKey(platform::RegistryRoot::kLocalMachine, kUninstallKey,
                                  kUninstallKeyClass, &key) != 0) {
    ShowMessage(nullptr, L"Could not create the Uninstall registry key!",
                platform::MessageIcon::kInformation);
    return;
  }
  // The system runs this command line as it stands: unquoted, a folder with a
  // space such as "C:\Program Files" would let it run C:\Program.exe instead.
  wchar_t uninstallString[kPathCapacity];
  setup::FormatBounded(uninstallString, kPathCapacity, L"\"%s\\uninstall_valdorine.exe\"",
                       setup::state.installFolder);

  struct Value {
    const wchar_t* name;
    const wchar_t* data;
  };
  const Value values[] = {
      {L"DisplayName", L"Valdorine (remove only)"},
      {L"UninstallString", uninstallString},
      {L"DisplayVersion", L"5.04.Build 16"},
      {L"Publisher", L"Quarnell"},
  };
  // Best effort: a value that cannot be written does not stop the others.
  for (const Value& value : values) key->SetString(value.name, value.data);
}

}  // namespace install
