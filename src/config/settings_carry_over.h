// Carries an earlier installation's settings into the fresh settings file.
#ifndef VALDORINE_CONFIG_SETTINGS_CARRY_OVER_H
#define VALDORINE_CONFIG_SETTINGS_CARRY_OVER_H

namespace config {

// Reads the carried settings from |savedPath| and writes those found into
// |freshPath|. Silent: every failure leaves the fresh file as it was.
void CarryOverSettings(const wchar_t* freshPath, const wchar_t* savedPath);

}  // namespace config

#endif  // VALDORINE_CONFIG_SETTINGS_CARRY_OVER_H
