#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string_view>

// The words people type for a kind of message ("sysex", "cc", "pitch bend", "clock") and the
// messages they stand for: Find finds those messages too, whether or not the grid's cells
// name the kind in those words, and whoever sent them.
class KindWords
{
public:
    // A condition on the data bytes, besides the status.
    enum class Data : std::uint8_t { Any, VelocityAboveZero, VelocityZero, ModeController };
    struct Kind
    {
        std::uint8_t firstStatus, lastStatus;
        Data data = Data::Any;
    };

    // The kinds an upper-case, trimmed text names as a whole; none for any other text.
    explicit KindWords(std::string_view upperText);

    bool any() const { return !m_kinds.empty(); }
    // Whether some message of this status can be of the kinds named.
    bool mayMatchStatus(std::uint8_t status) const { return m_statuses[status]; }
    bool matches(std::span<const std::uint8_t> message) const;

private:
    static bool dataFits(Data data, std::span<const std::uint8_t> message);

    std::span<const Kind> m_kinds;
    std::bitset<256> m_statuses;
};
