// POSIX only code. The drive table and the mapping of Windows paths onto the
// host's file system, shared by every posix service.
//
// A drive letter maps to a host folder, as a "dosdevices" folder does. Both
// backslashes and slashes separate; an existing name is matched without
// regard to case, a new name keeps its case.
#ifndef VALDORINE_PLATFORM_POSIX_POSIX_PATHS_H
#define VALDORINE_PLATFORM_POSIX_POSIX_PATHS_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::posix {

// Maps |letter| (A..Z, either case) to |folder|; an empty folder removes it.
void SetDriveFolder(wchar_t letter, const std::filesystem::path& folder);
// Removes every drive.
void ClearDrives();
// The folder of |letter|, or empty when the drive does not exist.
std::filesystem::path GetDriveFolder(wchar_t letter);
// Bit i set when drive "A" + i is mapped.
uint32_t MappedDriveMask();

// Resolves |windowsPath| to a host path. Returns 0, or kErrorInvalidDrive /
// kErrorPathNotFound for a drive that is not mapped, kErrorInvalidName for a
// name with characters Windows refuses, kErrorBadPathname for an empty or
// relative path.
uint32_t ResolvePath(std::wstring_view windowsPath, std::filesystem::path* hostPath);

// The Windows error code for an errno value.
uint32_t WindowsErrorFromErrno(int error);
// The Windows error code for a std::error_code of the file system library.
uint32_t WindowsErrorFrom(const std::error_code& error);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Compares two names as Windows does: without regard to case.
bool NamesEqualIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace platform::posix

#endif  // VALDORINE_PLATFORM_POSIX_POSIX_PATHS_H
