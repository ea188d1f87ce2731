#include "Hex.h"

namespace Hex {
namespace {

    const char *digits(Case letters)
    {
        return letters == Case::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    }

} // namespace

void writeBytes(std::span<const std::uint8_t> bytes, char *out, Case letters)
{
    const char *digit = digits(letters);
    for (const std::uint8_t byte : bytes) {
        *out++ = digit[byte >> 4];
        *out++ = digit[byte & 0x0F];
        *out++ = ' ';
    }
}

void appendBytes(std::string &out, std::span<const std::uint8_t> bytes, Case letters)
{
    const std::size_t at = out.size();
    out.resize(at + bytes.size() * 3);
    writeBytes(bytes, out.data() + at, letters);
}

void appendByte(std::string &out, std::uint8_t byte, Case letters)
{
    const char *digit = digits(letters);
    out += digit[byte >> 4];
    out += digit[byte & 0x0F];
}

} // namespace Hex
