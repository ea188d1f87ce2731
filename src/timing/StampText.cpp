#include "StampText.h"

#include <charconv>

namespace StampText {

void appendSeconds(std::string &out, std::int64_t microseconds)
{
    if (microseconds < 0)
        out += '-';
    // Unsigned, so that the most negative stamp has a magnitude too.
    const std::uint64_t magnitude
        = microseconds < 0 ? 0 - std::uint64_t(microseconds) : std::uint64_t(microseconds);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude / 1'000'000).ptr;
    out.append(digits, end);
    out += '.';
    std::uint64_t fraction = magnitude % 1'000'000;
    char fractionDigits[6];
    for (int place = 5; place >= 0; --place, fraction /= 10)
        fractionDigits[place] = char('0' + fraction % 10);
    out.append(fractionDigits, sizeof fractionDigits);
}

std::string seconds(std::int64_t microseconds)
{
    std::string text;
    appendSeconds(text, microseconds);
    return text;
}

} // namespace StampText
