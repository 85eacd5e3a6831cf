#include "setup/command_handler.h"

#include "install/install_sequence.h"
#include "platform/window.h"
#include "setup/control_ids.h"
#include "setup/interface_texts.h"
#include "setup/main_window.h"
#include "setup/setup_state.h"

namespace setup {

intptr_t HandleCommand(platform::Window* window, uint32_t command) {
  switch (static_cast<int>(command & 0xFFFF)) {
    case CMD_CONFIRM_EXIT:
      // keepGoing is cleared only once the user has said Yes: clearing it
      // before asking would cut the running file short after a No.
      if (ConfirmExit(window)) {
        state.keepGoing = 0;
        return CLOSE_REQUESTED;
      }
      return 1;
    case CMD_SHOW_MAIN_PAGE:
      ShowAddonPage(window, platform::kShowHide);
      ShowMainPage(window, platform::kShowShow);
      window->Redraw(nullptr);
      return 1;
    case CMD_SHOW_ADDON_PAGE:
      ShowMainPage(window, platform::kShowHide);
      ShowAddonPage(window, platform::kShowShow);
      window->Redraw(nullptr);
      window->Update(window->FindControl(IDC_ADDON_LIST));
      return 1;
    case IDC_GOTO_ADDONS:
      window->SendCommand(CMD_SHOW_ADDON_PAGE);
      return 1;
    case IDC_BACK:
      window->SendCommand(CMD_SHOW_MAIN_PAGE);
      return 1;
    case IDC_EXIT:
      // The window procedure turns CLOSE_REQUESTED into the close itself.
      window->SendCommand(CMD_CONFIRM_EXIT);
      return 1;
    case IDC_USB:
    case IDC_STANDARD:
      UpdateInstallKindControls(window);
      return 1;
    case IDC_INSTALL_NOW:
      install::RunInstallSequence(window);
      return 1;
    default:
      return 1;
  }
}

}  // namespace setup
