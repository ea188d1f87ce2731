#pragma once

#include <QString>
#include <charconv>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The words of one message, built into a single QString. Numbers are formatted on the stack
// and every text is a Latin-1 literal, so a description usually costs one allocation: the
// view asks for the words of every visible row each time it paints.
//
// House style: parts separated by ", "; IDs (manufacturer, device, sub-IDs, stray bytes) as
// two upper-case hex digits; values and counts in decimal.
class DetailWords
{
public:
    DetailWords() { m_text.reserve(64); }

    DetailWords &operator<<(std::string_view text)
    {
        m_text.append(QLatin1StringView(text.data(), qsizetype(text.size())));
        return *this;
    }

    DetailWords &operator<<(char c)
    {
        m_text.append(QLatin1Char(c));
        return *this;
    }

    DetailWords &operator<<(int value) { return addNumber(value); }

    // "+5", "0", "-3": for values centred on zero.
    DetailWords &addSigned(int value)
    {
        if (value > 0)
            *this << '+';
        return *this << value;
    }

    // "+2 semitones", "-1 semitone", "0 cents".
    DetailWords &addSignedCount(int value, std::string_view noun)
    {
        addSigned(value) << ' ' << noun;
        return value == 1 || value == -1 ? *this : *this << 's';
    }

    DetailWords &addHex(std::uint8_t value)
    {
        constexpr std::string_view digits = "0123456789ABCDEF";
        return *this << digits[value >> 4] << digits[value & 0x0F];
    }

    // "1 byte", "24 bytes".
    DetailWords &addCount(std::size_t count, std::string_view noun)
    {
        addNumber(count) << ' ' << noun;
        return count == 1 ? *this : *this << 's';
    }

    QString take() { return std::move(m_text); }

private:
    template<typename Number>
    DetailWords &addNumber(Number value)
    {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        return *this << std::string_view(digits, result.ptr);
    }

    QString m_text;
};

// Checked reading of message bytes: a position past the end, or a byte of 0x80 and up where
// data belongs, reads as no value, so that short or malformed input is never read out of range.
inline std::optional<std::uint8_t> dataByteAt(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (at >= bytes.size() || bytes[at] >= 0x80)
        return std::nullopt;
    return bytes[at];
}

// A 14-bit value sent as two data bytes, LSB first.
inline std::optional<int> data14At(std::span<const std::uint8_t> bytes, std::size_t lsbAt)
{
    const auto lsb = dataByteAt(bytes, lsbAt);
    const auto msb = dataByteAt(bytes, lsbAt + 1);
    if (!lsb || !msb)
        return std::nullopt;
    return (*msb << 7) | *lsb;
}

// Frame rates of MIDI time code by their two-bit code, in the quarter frame and the full message.
inline constexpr std::string_view timeCodeRates[4]
    = {"24 fps", "25 fps", "29.97 fps drop-frame", "30 fps"};
