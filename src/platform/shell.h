// Known and special folders, shell links, opening documents with the shell.
#ifndef VALDORINE_PLATFORM_SHELL_H
#define VALDORINE_PLATFORM_SHELL_H

#include <cstdint>
#include <string>

namespace platform {

enum class KnownFolder { kProgramFiles, kDocuments, kLocalAppData };

// The path of a known folder (SHGetKnownFolderPath). Returns false when the
// system cannot give one.
bool GetKnownFolder(KnownFolder folder, std::wstring* path);

enum class SpecialFolder {
  kStartMenu,         // CSIDL_STARTMENU (11)
  kPrograms,          // CSIDL_PROGRAMS (2), the Programs folder of the Start menu
  kDesktopDirectory,  // CSIDL_DESKTOPDIRECTORY (16)
};

// The file-system path of a special folder (SHGetSpecialFolderLocation, then
// SHGetPathFromIDListW). Returns false when either step fails.
bool GetSpecialFolder(SpecialFolder folder, std::wstring* path);

// Writes a shortcut file at |linkPath| pointing at |target| with
// |description|; working folder, arguments, icon, show command and hot key are
// left empty. Returns true when the link object was created and asked to save
// itself (whether the save worked is not part of the result).
bool CreateShellLink(const wchar_t* target, const wchar_t* linkPath, const wchar_t* description);

// Opens |address| with the shell (ShellExecuteW, verb "open", no owner).
// Returns the shell's result: greater than 32 when it was opened.
intptr_t ShellOpen(const wchar_t* address, int showCommand);

}  // namespace platform

#endif  // VALDORINE_PLATFORM_SHELL_H
