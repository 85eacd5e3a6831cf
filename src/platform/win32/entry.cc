// Win32 only code.
// The program's entry: the whole setup runs on the real window system.
#include "platform/win32/win32.h"
#include "platform/win32/window_system.h"
#include "setup/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  platform::win32::Win32WindowSystem windowSystem(instance);
  return setup::RunSetup(windowSystem);
}
