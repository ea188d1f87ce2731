#pragma once

// The preferences file: remembered devices and filter.
namespace modPreferences {

// Leaves InputDeviceIndex and OutputDeviceIndex at what was remembered (0 when nothing was).
void LoadPreferences();
// Remembers InputDeviceIndex and OutputDeviceIndex for the next run.
void SaveDeviceSettings();

} // namespace modPreferences
