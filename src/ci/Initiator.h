#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The messages Lumetra sends as a Capability Inquiry initiator, in CI 1.2, to a function block.
namespace ci::Initiator {

// A MUID of Lumetra's own, new for each run: random, outside the range kept for broadcast.
std::uint32_t newMuid();

// A Discovery to every device, naming Lumetra (the non-commercial ID 7D) as an initiator of
// Property Exchange that takes SysEx messages up to `maxSysExSize` bytes.
std::vector<std::uint8_t> discovery(std::uint32_t source, std::uint32_t maxSysExSize);

// The inquiry that begins Property Exchange: one request at a time, version 0.0.
std::vector<std::uint8_t> propertyCapabilities(std::uint32_t source, std::uint32_t destination);

// A Get of `resource` (7-bit ASCII) in one chunk.
std::vector<std::uint8_t> propertyGet(std::uint32_t source, std::uint32_t destination,
    std::uint8_t requestId, std::string_view resource);

} // namespace ci::Initiator
