#include "Mcoded7.h"

#include <algorithm>

namespace Mcoded7 {

std::vector<std::uint8_t> encode(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> coded;
    coded.reserve(bytes.size() + (bytes.size() + 6) / 7);
    for (std::size_t start = 0; start < bytes.size(); start += 7) {
        const auto group = bytes.subspan(start, std::min<std::size_t>(7, bytes.size() - start));
        std::uint8_t topBits = 0;
        for (std::size_t i = 0; i < group.size(); ++i)
            topBits |= std::uint8_t((group[i] >> 7) << (6 - i));
        coded.push_back(topBits);
        for (const std::uint8_t byte : group)
            coded.push_back(byte & 0x7F);
    }
    return coded;
}

std::optional<std::vector<std::uint8_t>> decode(std::span<const std::uint8_t> coded)
{
    if (std::ranges::any_of(coded, [](std::uint8_t byte) { return byte >= 0x80; }))
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(coded.size());
    for (std::size_t start = 0; start < coded.size(); start += 8) {
        const std::size_t groupSize = std::min<std::size_t>(7, coded.size() - start - 1);
        if (groupSize == 0)
            return std::nullopt;
        const std::uint8_t topBits = coded[start];
        for (std::size_t i = 0; i < groupSize; ++i)
            bytes.push_back(std::uint8_t(coded[start + 1 + i] | ((topBits >> (6 - i)) & 1) << 7));
    }
    return bytes;
}

} // namespace Mcoded7
