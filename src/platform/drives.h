// Drive queries for the portable installation.
#ifndef VALDORINE_PLATFORM_DRIVES_H
#define VALDORINE_PLATFORM_DRIVES_H

#include <cstdint>

namespace platform {

// Bit i set when the drive "A" + i exists (GetLogicalDrives).
uint32_t GetLogicalDriveMask();

// GetDriveTypeW's answer for a root such as "E:\\".
enum DriveType : uint32_t {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdrom = 5,
  kDriveRamdisk = 6,
};
DriveType GetDriveTypeOf(const wchar_t* root);

// STORAGE_BUS_TYPE's value for USB.
inline constexpr uint32_t kBusTypeUsb = 7;

// Opens the volume at |devicePath| ("\\\\?\\E:") and asks for its storage
// device descriptor (IOCTL_STORAGE_QUERY_PROPERTY). Returns true and sets
// |busType| when the volume opened and the query succeeded.
bool QueryStorageBusType(const wchar_t* devicePath, uint32_t* busType);

}  // namespace platform

#endif  // VALDORINE_PLATFORM_DRIVES_H
