#pragma once

#include <algorithm>
#include <cstdint>

// When each message of a run is due, in frames from the start of the run: `total` messages
// spread evenly at `rate` a second, the first at frame 0. Integer arithmetic throughout, so
// that the messages due by the end of the run are exactly `total`, however long it is.
struct SendPacing
{
    std::uint64_t rate; // messages a second, > 0
    std::uint64_t sampleRate; // frames a second, > 0
    std::uint64_t total;

    std::uint64_t frameOf(std::uint64_t index) const { return index * sampleRate / rate; }
    // How many messages are due before `frame`: those whose frame is below it.
    std::uint64_t dueBefore(std::uint64_t frame) const
    {
        return std::min(total, (frame * rate + sampleRate - 1) / sampleRate);
    }
    // The frame after the last message's.
    std::uint64_t endFrame() const { return total == 0 ? 0 : frameOf(total - 1) + 1; }
};
