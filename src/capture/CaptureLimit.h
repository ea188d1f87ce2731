#pragma once

#include <cstdint>

// How much of a capture is kept in memory: past it, the oldest rows are let go, so that a
// monitor left running for days holds its newest traffic in bounded memory. Zero is no limit.
struct CaptureLimit
{
    static constexpr std::uint64_t DefaultRows = 100'000'000;

    std::uint64_t rows = DefaultRows;
    std::uint32_t minutes = 0; // the rows kept span at most this long, up to the newest

    bool operator==(const CaptureLimit &) const = default;
};
