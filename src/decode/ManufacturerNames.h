#pragma once

#include <array>
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
// An ID in the three bytes a Capability Inquiry message gives it: a one-byte ID is `id 00 00`.
std::optional<std::string_view> ofPadded(const std::array<std::uint8_t, 3> &id);

} // namespace ManufacturerNames
