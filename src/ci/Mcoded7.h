#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The 7-bit coding of 8-bit Property Exchange bodies: each group of up to seven bytes goes
// after a byte that holds their top bits, the first byte's in bit 6.
namespace Mcoded7 {

std::vector<std::uint8_t> encode(std::span<const std::uint8_t> bytes);
// Nothing when a byte has its top bit set or a group is only its top-bits byte.
std::optional<std::vector<std::uint8_t>> decode(std::span<const std::uint8_t> coded);

} // namespace Mcoded7
