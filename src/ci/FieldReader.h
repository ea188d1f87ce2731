#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ci {

// Reads the fields of a message one after the other, each named, so that the first that is
// cut off or holds a byte of 80 or more is the one a reader is told of; once one has failed,
// the rest read nothing, so that no value after it is ever taken from garbage.
class FieldReader
{
public:
    explicit FieldReader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    { }

    std::optional<std::uint8_t> byte(std::string_view field);
    // 7 bits a byte, least significant first: two bytes make 14 bits, four make 28.
    std::optional<std::uint32_t> number(std::string_view field, std::size_t byteCount);
    // `count` data bytes as they are.
    std::optional<std::span<const std::uint8_t>> bytes(std::string_view field, std::size_t count);

    bool atEnd() const { return m_at >= m_bytes.size(); }
    bool failed() const { return !m_problem.empty(); }
    // "message ends inside the source MUID", or empty while all went well.
    const std::string &problem() const { return m_problem; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
    std::string m_problem;
};

} // namespace ci
