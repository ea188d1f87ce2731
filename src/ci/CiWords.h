#pragma once

#include "CiMessage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The Details words of a Capability Inquiry message: its name, version, device and MUIDs,
// then what it says, in the house style of the other SysEx words (IDs and bitmaps in hex,
// values and counts in decimal). ASCII only.
namespace ci {

// The name a manufacturer ID was given, when the caller knows it.
using ManufacturerNamer = std::optional<std::string_view> (*)(const ManufacturerId &);

// What the messages before say of a Property Exchange chunk: the request it answers and,
// on the last chunk, whether the whole body came.
struct ExchangeContext
{
    std::string resource; // of the request a reply answers; empty when not seen
    bool complete = false; // every chunk came, in order
    std::optional<std::uint16_t> missingChunk; // the first that did not
    std::string problem; // the whole body could not be decoded
};

std::string describe(std::span<const std::uint8_t> message, ManufacturerNamer manufacturerName,
    const ExchangeContext *context = nullptr);

// "0123ABC", or "broadcast".
std::string muidText(std::uint32_t muid);
// "0C (profiles, property exchange)".
std::string categoriesText(std::uint8_t categories);
// "01 02 03 04".
std::string hexText(std::span<const std::uint8_t> bytes);
// Who answered a Discovery and what it can do: "ID 43 Yamaha, family 0041 (65), ...".
std::string identityText(const Identity &identity, ManufacturerNamer manufacturerName);
// "ID 00 20 33 Access Music Electronics", "ID 43 Yamaha".
std::string manufacturerText(const ManufacturerId &id, ManufacturerNamer manufacturerName);

} // namespace ci
