// POSIX only code.
#include "platform/posix/device_monitor.h"

#include <algorithm>
#include <iterator>

#include "platform/posix/posix_drives.h"
#include "platform/window.h"

namespace platform::posix {

DeviceMonitor::DeviceMonitor() : mounts_(ReadMounts()) {}

DeviceMonitor::DeviceMonitor(std::filesystem::path mountInfo)
    : file_(std::move(mountInfo)), mounts_(ReadMounts()) {}

std::set<std::string> DeviceMonitor::ReadMounts() const {
  std::set<std::string> mounts;
  // A mount is its device, its place and its source; the mount identifiers
  // change with a remount that the drive list need not hear of.
  for (const MountEntry& entry : ReadMountInfo(file_.empty() ? MountInfoFile() : file_)) {
    mounts.insert(std::to_string(entry.major) + ":" + std::to_string(entry.minor) + " " +
                  entry.mountPoint.string() + " " + entry.source);
  }
  return mounts;
}

uint32_t DeviceMonitor::Poll() {
  std::set<std::string> now = ReadMounts();
  const bool arrived = !std::includes(mounts_.begin(), mounts_.end(), now.begin(), now.end());
  const bool removed = !std::includes(now.begin(), now.end(), mounts_.begin(), mounts_.end());
  mounts_ = std::move(now);
  if (arrived) return kDeviceArrival;
  if (removed) return kDeviceRemoveComplete;
  return 0;
}

}  // namespace platform::posix
