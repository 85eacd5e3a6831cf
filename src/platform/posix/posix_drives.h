// POSIX only code. Where the drive queries of the posix backend look: the
// drives are those of the drive table (posix_paths.h); what kind each one is
// comes from the mount that holds its folder (mountinfo) and from the block
// device under that mount (sysfs). Tests point both at fixture files.
#ifndef VALDORINE_PLATFORM_POSIX_POSIX_DRIVES_H
#define VALDORINE_PLATFORM_POSIX_POSIX_DRIVES_H

#include <filesystem>
#include <string>
#include <vector>

namespace platform::posix {

// The sysfs tree (default "/sys") and the mount table (default
// "/proc/self/mountinfo").
void SetSysfsRoot(const std::filesystem::path& root);
void SetMountInfoFile(const std::filesystem::path& file);
std::filesystem::path MountInfoFile();

// Ties |letter| to a block device by its kernel name ("sdc", "fd0"), as a
// Wine "e::" device link does, so that a drive without a medium (an empty card
// reader, a floppy drive) still reports the kind of its device; an empty name
// removes the tie. A drive without a tie is judged by the mount of its folder.
void SetDriveDevice(wchar_t letter, const std::string& blockDevice);

// Back to the system's sysfs and mount table, without device ties.
void ResetDriveSources();

// One line of a mountinfo file.
struct MountEntry {
  unsigned major = 0;
  unsigned minor = 0;
  std::filesystem::path mountPoint;  // with the \040-style escapes decoded
  std::string fsType;
  std::string source;
};

// The mounts listed in |file|, in its order; empty when it cannot be read.
std::vector<MountEntry> ReadMountInfo(const std::filesystem::path& file);

}  // namespace platform::posix

#endif  // VALDORINE_PLATFORM_POSIX_POSIX_DRIVES_H
