#include "install/install_sequence.h"

#include <string>

#include "config/initialization_files.h"
#include "install/main_file_set.h"
#include "install/shortcuts.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "setup/bounded_format.h"
#include "setup/control_ids.h"
#include "setup/setup_state.h"

namespace install {
namespace {

using namespace setup;
using platform::MessageIcon;

constexpr const wchar_t kInstallCaption[] = L"Valdorine Install";

[[noreturn]] void FatalError(const wchar_t* text, MessageIcon icon) {
  state.instance->ShowMessage(nullptr, text, kInstallCaption, icon);
  platform::EndProcess(0);
}

bool CreatedOrExisting(uint32_t result) {
  return result == 0 || result == platform::kErrorAlreadyExists;
}

// Creates a work folder, refusing one whose path had to be cut.
bool CreateWorkFolder(const wchar_t* format, const wchar_t* base,
                      wchar_t (&folder)[kPathCapacity]) {
  if (FormatInto(folder, format, base) != kFormatOk) return false;
  return CreatedOrExisting(platform::CreateFolderTree(folder));
}

// Reads a folder field into |folder|. Returns false when the text does not fit:
// a cut path would install somewhere the user did not ask for.
bool ReadFolderField(platform::Window* window, int id, wchar_t (&folder)[kPathCapacity]) {
  wchar_t text[kPathCapacity + 1];
  window->GetText(window->FindControl(id), text, kPathCapacity + 1);
  FormatInto(folder, L"%s", text);
  return std::wstring_view(text).size() < kPathCapacity;
}

}  // namespace

void RunInstallSequence(platform::Window* window) {
  auto control = [window](int id) { return window->FindControl(id); };
  platform::Control* installNow = control(IDC_INSTALL_NOW);
  platform::Control* gotoAddons = control(IDC_GOTO_ADDONS);

  // 1-3: the choices of the main page.
  window->Enable(installNow, false);
  window->Enable(gotoAddons, false);
  switch (window->ComboSelection(control(IDC_LANGUAGE))) {
    case 0:
      state.language = kLanguageEnglish;
      break;
    case 1:
      state.language = kLanguageFrench;
      break;
    default:
      break;
  }
  state.portable = window->IsChecked(control(IDC_USB)) ? 1 : 0;

  // 4-5: the install folder, and the start folder of a standard installation.
  int folderField = state.portable ? IDC_USB_FOLDER : IDC_INSTALL_FOLDER;
  bool folderFits;
  if (!state.portable) {
    state.desktopShortcut = window->IsChecked(control(IDC_DESKTOP_SHORTCUT)) ? 1 : 0;
    state.programMenuShortcut = window->IsChecked(control(IDC_PROGRAM_MENU_SHORTCUT)) ? 1 : 0;
    state.startMenuShortcut = window->IsChecked(control(IDC_START_MENU_SHORTCUT)) ? 1 : 0;
  }
  folderFits = ReadFolderField(window, folderField, state.installFolder);
  if (state.installFolder[0] == L'\0') {
    state.instance->Beep();
    state.instance->ShowMessage(
        window,
        state.language == kLanguageFrench ? L"Veuillez s\u00e9lectionner le dossier d'installation"
                                          : L"Please select the install folder",
        state.portable ? kInstallCaption : L"Valdorine", MessageIcon::kError);
    window->SetFocus(control(folderField));
    window->Enable(installNow, true);
    window->Enable(gotoAddons, true);
    return;
  }
  if (!state.portable) {
    wchar_t start[kPathCapacity];
    // The start folder is only written into the settings; a cut one keeps the
    // previous value rather than pointing the product somewhere else.
    if (ReadFolderField(window, IDC_START_FOLDER, start))
      FormatInto(state.startFolder, L"%s", start);
  }

  // 6: the install folder with its parents.
  if (!folderFits || !CreatedOrExisting(platform::CreateFolderTree(state.installFolder))) {
    state.instance->ShowMessage(window, L"The install path cannot be created.\nAborting.",
                                kInstallCaption, MessageIcon::kError);
    window->SetFocus(control(folderField));
    return;
  }

  // 7: the product is started at the end only if this run reaches its end.
  state.launchAtExit = window->IsChecked(control(IDC_LAUNCH_AT_EXIT)) ? 1 : 0;
  struct LaunchGuard {
    bool completed = false;
    ~LaunchGuard() {
      if (!completed) state.launchAtExit = 0;
    }
  } launchGuard;

  // 8-10: the product's work folders.
  if (state.portable) {
    if (!CreateWorkFolder(L"%s\\Temp", state.installFolder, state.tempFolder))
      FatalError(L"Could not create the Valdorine temp directory!\nAborting.",
                 MessageIcon::kWarning);
    if (!CreateWorkFolder(L"%s\\cache", state.installFolder, state.cacheFolder))
      FatalError(L"Could not create the Valdorine cache directory!\nAborting.",
                 MessageIcon::kWarning);
  } else {
    std::wstring localAppData;
    if (!platform::GetKnownFolder(platform::KnownFolder::kLocalAppData, &localAppData))
      FatalError(L"Could not find the Local AppData path, aborting...", MessageIcon::kError);
    if (!CreateWorkFolder(L"%s\\Valdorine\\Temp", localAppData.c_str(), state.tempFolder))
      FatalError(L"Could not create the Valdorine temp directory!\nAborting.",
                 MessageIcon::kWarning);
    if (!CreateWorkFolder(L"%s\\Valdorine\\cache", localAppData.c_str(), state.cacheFolder))
      FatalError(L"Could not create the Valdorine cache directory!\nAborting.",
                 MessageIcon::kWarning);
  }

  // 11-13: the product's files and its initialization files.
  platform::Control* progress = control(IDC_PROGRESS);
  platform::Control* fileLine = control(IDC_PROGRESS_FILE);
  platform::Control* counterLine = control(IDC_PROGRESS_COUNT);
  auto showProgress = [&](platform::ShowCommand show) {
    window->Show(progress, show);
    window->Show(fileLine, show);
    window->Show(counterLine, show);
  };
  state.keepGoing = 1;
  showProgress(platform::kShowShow);

  MainFilesResult files =
      InstallMainFiles(window, state.installFolder, progress, fileLine, counterLine);
  if (files == MainFilesResult::kStopped) return;  // the setup is closing
  if (files == MainFilesResult::kFailed) {
    // An incomplete product gets no settings, shortcuts or registration; the
    // user may try again.
    showProgress(platform::kShowHide);
    window->Enable(installNow, true);
    window->Enable(gotoAddons, true);
    return;
  }
  if (!config::WriteInitializationFiles(state.portable))
    FatalError(L"Could not create the initialization files!\nAborting.", MessageIcon::kError);
  showProgress(platform::kShowHide);

  // 14: shortcuts and the uninstall entry of a standard installation.
  if (!state.portable) {
    CreateShortcuts();
    WriteUninstallRegistration();
  }

  // 15: on to the add-on page; installing again makes no sense in this run.
  launchGuard.completed = true;
  window->Enable(gotoAddons, true);
  window->SendCommand(IDC_GOTO_ADDONS);
}

}  // namespace install
