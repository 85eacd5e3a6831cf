// The setup's entry: platform preparation, the two system folders, the main
// window, the message loop and the optional start of the installed product.
#ifndef VALDORINE_SETUP_STARTUP_H
#define VALDORINE_SETUP_STARTUP_H

namespace platform {
class WindowSystem;
class Window;
}  // namespace platform

namespace setup {

// Runs the whole setup on |windowSystem|. Returns 1 after a normal end; a fatal
// startup error ends the process with status 0 instead.
int RunSetup(platform::WindowSystem& windowSystem);

// Places |window| in the middle of the screen, keeping its size; on a screen
// smaller than the window the coordinates go negative.
void CenterWindow(platform::Window* window);

}  // namespace setup

#endif  // VALDORINE_SETUP_STARTUP_H
