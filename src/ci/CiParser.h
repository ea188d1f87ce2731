#pragma once

#include "CiMessage.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace ci {

// Whether `message` (F0 first) is a Capability Inquiry message: F0 7E <device> 0D.
bool isCapabilityInquiry(std::span<const std::uint8_t> message);

// The name of a sub-ID 2 ("Reply to Discovery"); empty for one CI does not define.
std::string_view nameOf(std::uint8_t subId);

// Reads a whole message, F0 first; a closing F7 is not required, bytes after the last field
// are taken as fields of a later CI version and passed over.
Reading parse(std::span<const std::uint8_t> message);

} // namespace ci
