#pragma once

#include <cstdint>
#include <span>
#include <string>

// Hexadecimal as people type and read MIDI bytes: the one reader of digits and the one
// writer of byte lists.
namespace Hex {

// The value of a hex digit of either case, or -1.
constexpr int digitValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    return -1;
}

enum class Case : std::uint8_t { Lower, Upper };

// Two digits and a space a byte ("f0 41 f7 "), three characters a byte written to `out`.
void writeBytes(std::span<const std::uint8_t> bytes, char *out, Case letters);
void appendBytes(std::string &out, std::span<const std::uint8_t> bytes, Case letters);
// Two digits, without a space.
void appendByte(std::string &out, std::uint8_t byte, Case letters);
inline std::string byteText(std::uint8_t byte, Case letters = Case::Upper)
{
    std::string text;
    appendByte(text, byte, letters);
    return text;
}

} // namespace Hex
