// Carries out the main window's buttons and the internal commands.
#ifndef VALDORINE_SETUP_COMMAND_HANDLER_H
#define VALDORINE_SETUP_COMMAND_HANDLER_H

#include <cstdint>

namespace platform {
class Window;
}

namespace setup {

// Handles the command word of a command message (only its low 16 bits count).
// Returns CLOSE_REQUESTED when the main window is to be closed, otherwise 1.
// May be entered again from inside a download of an earlier call.
intptr_t HandleCommand(platform::Window* window, uint32_t command);

}  // namespace setup

#endif  // VALDORINE_SETUP_COMMAND_HANDLER_H
