// Removable and USB-attached drives for the portable installation.
#ifndef VALDORINE_INSTALL_REMOVABLE_DRIVES_H
#define VALDORINE_INSTALL_REMOVABLE_DRIVES_H

namespace install {

// Stores the letters of the removable drives and of the fixed drives on the
// USB bus in driveLetters, in ascending order, and returns how many.
int FindRemovableDrives();

}  // namespace install

#endif  // VALDORINE_INSTALL_REMOVABLE_DRIVES_H
