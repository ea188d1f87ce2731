#pragma once

#include <cstdint>

// Program-wide state: the chosen devices' positions in the port components' device lists.
namespace modGlobals {

inline std::int16_t InputDeviceIndex = 0;
inline std::int16_t OutputDeviceIndex = 0;

} // namespace modGlobals
