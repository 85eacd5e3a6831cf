#include "setup/startup.h"

#include <string>

#include "platform/process.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "setup/bounded_format.h"
#include "setup/main_window.h"
#include "setup/setup_state.h"

namespace setup {
namespace {

[[noreturn]] void FatalStartupError(platform::WindowSystem& system, const wchar_t* text) {
  system.ShowMessage(nullptr, text, L"Valdorine Install", platform::MessageIcon::kError);
  platform::EndProcess(0);
}

bool ResolveFolder(platform::KnownFolder folder, wchar_t (&field)[kPathCapacity]) {
  std::wstring path;
  if (!platform::GetKnownFolder(folder, &path)) return false;
  FormatInto(field, L"%s", path);
  return true;
}

}  // namespace

void CenterWindow(platform::Window* window) {
  platform::Rect bounds = window->GetWindowBounds();
  int width = bounds.right - bounds.left;
  int height = bounds.bottom - bounds.top;
  window->SetPosition((state.instance->ScreenWidth() - width) / 2,
                      (state.instance->ScreenHeight() - height) / 2);
}

int RunSetup(platform::WindowSystem& system) {
  system.InitCommonControls();
  platform::ComScope com;

  state.instance = &system;
  state.language = kLanguageEnglish;
  state.launchAtExit = 0;
  if (!ResolveFolder(platform::KnownFolder::kProgramFiles, state.programFilesFolder))
    FatalStartupError(system, L"Could not find ProgramFile, aborting...");
  if (!ResolveFolder(platform::KnownFolder::kDocuments, state.documentsFolder))
    FatalStartupError(system, L"Could not find Documents, aborting...");
  FormatInto(state.startFolder, L"%s", state.documentsFolder);

  if (!system.RegisterMainWindowClass())
    FatalStartupError(system, L"Could not register the main window, aborting...");
  static MainWindow mainWindow;
  if (!system.CreateMainWindow(L"Valdorine Setup", 572, 720, &mainWindow))
    FatalStartupError(system, L"Could not create the main window, aborting...");

  system.RunMessageLoop();
  system.ReleaseWindowResources();

  if (state.launchAtExit == 1) {
    wchar_t program[kPathCapacity];
    // A cut path would start some other program; a failed start is silent.
    if (FormatInto(program, L"%s\\devureruzIR.exe", state.installFolder) == kFormatOk)
      platform::StartProgram(program, nullptr, state.installFolder, platform::kShowMaximized);
  }
  return 1;
}

}  // namespace setup
