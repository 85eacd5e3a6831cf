// Shortcuts and the uninstall registration of a standard installation.
#ifndef VALDORINE_INSTALL_SHORTCUTS_H
#define VALDORINE_INSTALL_SHORTCUTS_H

namespace install {

// Writes one shortcut file. Returns 1 when the link was created and asked to
// save itself, 0 otherwise.
int CreateShellLink(const wchar_t* target, const wchar_t* linkPath, const wchar_t* description);

// Creates the shortcuts the user asked for (Start menu, Programs menu,
// desktop), pointing at DevureruzIR.exe in the install folder.
void CreateShortcuts();

// Creates or updates the uninstall entry under HKEY_LOCAL_MACHINE.
void WriteUninstallRegistration();

}  // namespace install

#endif  // VALDORINE_INSTALL_SHORTCUTS_H
