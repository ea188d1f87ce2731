#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Who a SysEx manufacturer ID was given to, from the public list of assigned IDs. The list
// grows every year: an ID missing here is simply not named, never an error.
namespace ManufacturerNames {

// A one-byte ID, 01 to 7D.
std::optional<std::string_view> ofOneByte(std::uint8_t id);
// A three-byte ID 00 `second` `third`.
std::optional<std::string_view> ofThreeByte(std::uint8_t second, std::uint8_t third);

} // namespace ManufacturerNames
