// The main window: its controls on two pages, and what it does with the
// messages the window system hands it.
#ifndef VALDORINE_SETUP_MAIN_WINDOW_H
#define VALDORINE_SETUP_MAIN_WINDOW_H

#include "platform/window.h"

namespace setup {

class MainWindow : public platform::WindowEvents {
 public:
  void OnCreate(platform::Window* window) override;
  intptr_t OnCommand(platform::Window* window, int id, int code) override;
  void OnLinkClick(platform::Window* window, int id) override;
  void OnDeviceChange(platform::Window* window, uint32_t event) override;
  void OnClose(platform::Window* window) override;
};

// Creates every control of both pages and sets installFolder to its default.
int CreateControls(platform::Window* window);

// Lay out their page and give |show| to each of its controls.
void ShowMainPage(platform::Window* window, platform::ShowCommand show);
void ShowAddonPage(platform::Window* window, platform::ShowCommand show);

// Enables the controls of the chosen installation kind.
void UpdateInstallKindControls(platform::Window* window);

// The two Exit buttons, which share one identifier.
platform::Control* MainPageExitButton();
platform::Control* AddonPageExitButton();

// Refills the drive combo from the removable drives present.
void FillDriveList(platform::Window* window);

}  // namespace setup

#endif  // VALDORINE_SETUP_MAIN_WINDOW_H
