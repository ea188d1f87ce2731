#include "ports/SequencerClock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(SequencerClock, FollowsTheSequencersSpacingWithinItsBoundsAroundTheArrival)
{
    const struct
    {
        double sincePrevious;
        bool sysEx;
        std::chrono::microseconds arrival, expected;
        const char *reason;
    } steps[] = {
        {0.0, false, 1'000us, 1'000us, "the first message: its arrival"},
        {0.010, false, 11'300us, 11'000us, "delivered late: the sequencer's spacing"},
        {0.000250, false, 11'600us, 11'250us, "a quarter millisecond on"},
        {0.005, false, 16'100us, 16'100us, "the chain would run ahead: its arrival"},
        {0.001, false, 17'150us, 17'100us, "the chain goes on from there"},
        {0.002, true, 19'900us, 19'900us, "a SysEx breaks the chain"},
        {0.000, false, 130'000us, 130'000us, "no stamps at all: a chain far behind restarts"},
        {0.000, false, 130'050us, 130'000us, "within the longest delay it holds"},
    };
    SequencerClock clock;
    const SequencerClock::Clock::time_point origin {1h};
    for (const auto &step : steps)
        EXPECT_EQ(clock.stamp(step.sincePrevious, step.sysEx, origin + step.arrival) - origin,
            step.expected)
            << step.reason;
}
