#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a Property Exchange header says, in short, and the body it describes made readable.
namespace ci {

struct PropertyHeader
{
    bool isJson = true; // false when the header is there but is no JSON object
    std::string resource, resId, command, encoding; // empty when not given
    std::optional<int> status;
    std::string message; // a reply's reason, with a status of 400 and up
};

PropertyHeader readPropertyHeader(std::span<const std::uint8_t> header);

// A whole body, as `mutualEncoding` says it was sent ("ASCII" when not said), decoded.
struct DecodedBody
{
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string problem; // "not Mcoded7", "zlib data damaged", "unknown encoding 'X'"
};

DecodedBody decodeBody(std::span<const std::uint8_t> body, const std::string &encoding);

} // namespace ci
