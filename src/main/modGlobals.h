#pragma once

#include "settings/modPreferences.h"

#include <QString>
#include <cstdint>

// Program-wide state: the chosen devices' positions in the port components' device lists,
// and their names, which stay right when the positions shift.
namespace modGlobals {

inline std::int16_t InputDeviceIndex = 0;
inline std::int16_t OutputDeviceIndex = 0;
inline QString InputDeviceName;
inline QString OutputDeviceName;

// The chosen devices as the preferences read and write them.
inline modPreferences::DeviceMemory rememberedDevices()
{
    return {InputDeviceIndex, OutputDeviceIndex, InputDeviceName, OutputDeviceName};
}

} // namespace modGlobals
