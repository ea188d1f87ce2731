#pragma once

#include <QString>
#include <cstdint>

// Program-wide state: the chosen devices' positions in the port components' device lists,
// and their names, which stay right when the positions shift.
namespace modGlobals {

inline std::int16_t InputDeviceIndex = 0;
inline std::int16_t OutputDeviceIndex = 0;
inline QString InputDeviceName;
inline QString OutputDeviceName;

} // namespace modGlobals
