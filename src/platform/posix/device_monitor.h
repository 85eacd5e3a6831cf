// POSIX only code. Notices drives coming and going, for the window's
// device-change event (WM_DEVICECHANGE on Windows).
//
// A posix window system wires it into its loop: it polls the monitor from a
// timer, or waits on the mount table for POLLPRI (the kernel flags
// /proc/self/mountinfo when the mounts change) and then polls it, and hands
// any event it reports to WindowEvents::OnDeviceChange, which refills the
// drive list.
#ifndef VALDORINE_PLATFORM_POSIX_DEVICE_MONITOR_H
#define VALDORINE_PLATFORM_POSIX_DEVICE_MONITOR_H

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

namespace platform::posix {

class DeviceMonitor {
 public:
  // Watches the configured mount table (posix_drives.h), read again at every
  // poll; the mounts present now are the starting point.
  DeviceMonitor();
  // Watches the mount table in |mountInfo|.
  explicit DeviceMonitor(std::filesystem::path mountInfo);

  // Reads the mount table again. Returns kDeviceArrival when a mount
  // appeared, kDeviceRemoveComplete when mounts only went away, 0 when
  // nothing changed.
  uint32_t Poll();

 private:
  std::set<std::string> ReadMounts() const;

  std::filesystem::path file_;  // empty: the configured one
  std::set<std::string> mounts_;
};

}  // namespace platform::posix

#endif  // VALDORINE_PLATFORM_POSIX_DEVICE_MONITOR_H
