#include "FieldReader.h"

#include <algorithm>

namespace ci {

std::optional<std::span<const std::uint8_t>> FieldReader::bytes(
    std::string_view field, std::size_t count)
{
    if (failed())
        return std::nullopt;
    if (m_bytes.size() - m_at < count) {
        m_problem = std::string(m_at == m_bytes.size() ? "message ends before the "
                                                       : "message ends inside the ")
            + std::string(field);
        return std::nullopt;
    }
    const auto value = m_bytes.subspan(m_at, count);
    if (std::ranges::any_of(value, [](std::uint8_t byte) { return byte >= 0x80; })) {
        m_problem = "a status byte inside the " + std::string(field);
        return std::nullopt;
    }
    m_at += count;
    return value;
}

std::optional<std::uint8_t> FieldReader::byte(std::string_view field)
{
    const auto value = bytes(field, 1);
    return value ? std::optional((*value)[0]) : std::nullopt;
}

std::optional<std::uint32_t> FieldReader::number(std::string_view field, std::size_t byteCount)
{
    const auto value = bytes(field, byteCount);
    if (!value)
        return std::nullopt;
    std::uint32_t number = 0;
    for (std::size_t i = byteCount; i-- > 0;)
        number = number << 7 | (*value)[i];
    return number;
}

} // namespace ci
