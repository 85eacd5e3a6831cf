// Carries an earlier installation's settings into the fresh settings file.
#ifndef VALDORINE_CONFIG_SETTINGS_CARRY_OVER_H
#define VALDORINE_CONFIG_SETTINGS_CARRY_OVER_H

namespace config {

// Reads the carried settings from |savedPath| and writes those found into
// |freshPath|. Silent: every failure leaves the fresh file as it was.
void CarryOverSettings(const wchar_t* freshPath, const wchar_t* savedPath);

// One setting to write: its element name and its new text.
struct SettingPair {
  wchar_t name[128];
  wchar_t value[1024];
};

// The first element named |name| in the file at |path|, read as a decimal
// number of 32 bits. Returns -1 when the file cannot be loaded or has no such
// element (a stored -1 reads the same).
int ReadSettingNumber(const wchar_t* path, const wchar_t* name);

// Copies the text of the first element named |name| into |buffer|, cut to
// |capacity| - 1 characters and terminated. Returns 1 when the element was
// found, 0 when the file cannot be loaded or has no such element.
int ReadSettingText(const wchar_t* path, const wchar_t* name, wchar_t* buffer, int capacity);

// Sets the text of the first element named by each pair (pairs without an
// element are skipped) and saves the file in place. Returns 1 when saved, 0
// when the file cannot be loaded or saved (it is then left as it was).
int WriteSettings(const wchar_t* path, const SettingPair* pairs, int count);

}  // namespace config

#endif  // VALDORINE_CONFIG_SETTINGS_CARRY_OVER_H
