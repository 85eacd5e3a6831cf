// The one process-wide record of the user's choices and of where things go.
#ifndef VALDORINE_SETUP_SETUP_STATE_H
#define VALDORINE_SETUP_SETUP_STATE_H

#include <cstdint>

namespace platform {
class WindowSystem;
class Window;
}  // namespace platform

namespace setup {

inline constexpr int kPathCapacity = 260;
inline constexpr int kLanguageEnglish = 1;
inline constexpr int kLanguageFrench = 33;

struct SetupState {
  // The module instance: here, the window system the setup runs on.
  platform::WindowSystem* instance;
  platform::Window* mainWindow;
  int32_t language;
  wchar_t programFilesFolder[kPathCapacity];
  wchar_t documentsFolder[kPathCapacity];
  wchar_t startFolder[kPathCapacity];
  wchar_t installFolder[kPathCapacity];
  wchar_t tempFolder[kPathCapacity];
  wchar_t cacheFolder[kPathCapacity];
  int32_t portable;
  int32_t launchAtExit;
  int32_t desktopShortcut;
  int32_t startMenuShortcut;
  int32_t programMenuShortcut;
  // Cleared by the exit confirmation; every download loop tests it.
  int32_t keepGoing;
  wchar_t driveLetters[33];
  wchar_t installButtonCaption[512];
  // The fonts, icon and bitmaps belong to the platform's window and are
  // released by it after the message loop.
};

// Zero-initialised at process start; there is exactly one.
extern SetupState state;

// Puts the record back to its state at process start (tests run many setups in
// one process).
void ResetSetupStateForTesting();

}  // namespace setup

#endif  // VALDORINE_SETUP_SETUP_STATE_H
