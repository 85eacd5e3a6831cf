// Removable and USB-attached drives for the portable installation.
#include "install/removable_drives.h"

#include <cstdint>

#include "platform/drives.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"

namespace install {
namespace {

// The root of the drive being examined.
wchar_t rootPath[33];

// True when the fixed drive |letter| sits on the USB bus. A volume that cannot
// be opened or queried does not qualify.
bool IsOnUsbBus(wchar_t letter) {
  wchar_t devicePath[300];
  setup::FormatBounded(devicePath, 300, L"\\\\?\\%c:", letter);
  uint32_t busType = 0;
  return platform::QueryStorageBusType(devicePath, &busType) && busType == platform::kBusTypeUsb;
}

}  // namespace

int FindRemovableDrives() {
  int count = 0;
  const uint32_t mask = platform::GetLogicalDriveMask();
  for (int i = 0; i < 32; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + i);
    setup::FormatBounded(rootPath, 33, L"%c:\\", letter);
    switch (platform::GetDriveTypeOf(rootPath)) {
      case platform::kDriveRemovable:
        // Listed with or without a medium in it.
        setup::state.driveLetters[count++] = letter;
        break;
      case platform::kDriveFixed:
        if (IsOnUsbBus(letter)) setup::state.driveLetters[count++] = letter;
        break;
      default:
        break;
    }
  }
  return count;
}

}  // namespace install
