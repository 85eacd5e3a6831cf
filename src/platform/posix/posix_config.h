// POSIX only code. Settings of the posix backend that the Windows system
// would provide itself: known and special folders, and a record of the
// programs started. Tests set their own.
#ifndef VALDORINE_PLATFORM_POSIX_POSIX_CONFIG_H
#define VALDORINE_PLATFORM_POSIX_POSIX_CONFIG_H

#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/shell.h"

namespace platform::posix {

// Sets the Windows path of a known folder; nothing makes the look-up fail.
void SetKnownFolder(KnownFolder folder, std::optional<std::wstring> path);
void SetSpecialFolder(SpecialFolder folder, std::optional<std::wstring> path);
// Back to the defaults (folders under C:\users\<user>).
void ResetFolders();

struct StartedProgram {
  std::wstring program;
  std::wstring commandLine;
  std::wstring workingFolder;
  ShowCommand show;
};
// Every StartProgram request of the process, in order, whether or not the
// host could run it (a Windows program cannot run here).
const std::vector<StartedProgram>& StartedPrograms();
void ClearStartedPrograms();

}  // namespace platform::posix

#endif  // VALDORINE_PLATFORM_POSIX_POSIX_CONFIG_H
