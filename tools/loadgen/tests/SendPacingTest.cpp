#include "loadgen/SendPacing.h"

#include <gtest/gtest.h>

TEST(SendPacing, EveryMessageFallsInTheCycleItIsDueInAndTheRunEndsWhole)
{
    struct Case
    {
        std::uint64_t rate, sampleRate, seconds;
        const char *why;
    };
    const Case cases[] = {
        {1000, 48000, 2, "a few messages a cycle"},
        {200'000, 48000, 2, "a thousand a cycle"},
        {600'000, 44100, 1, "more messages than frames"},
        {7, 48000, 3, "a rate that does not divide the sample rate"},
    };
    constexpr std::uint64_t Period = 256;
    for (const Case &c : cases) {
        const SendPacing pacing {c.rate, c.sampleRate, c.rate * c.seconds};
        std::uint64_t busiest = 0;
        std::uint64_t cycle = 0;
        for (; pacing.dueBefore(cycle) < pacing.total; cycle += Period) {
            const std::uint64_t first = pacing.dueBefore(cycle);
            const std::uint64_t end = pacing.dueBefore(cycle + Period);
            busiest = std::max(busiest, end - first);
            for (std::uint64_t i = first; i < end; ++i)
                ASSERT_TRUE(pacing.frameOf(i) >= cycle && pacing.frameOf(i) < cycle + Period)
                    << c.why << ": message " << i;
        }
        EXPECT_EQ((pacing.endFrame() - 1) / Period, cycle / Period - 1)
            << c.why; // the last cycle sends the last
        EXPECT_LE(pacing.endFrame(), c.seconds * c.sampleRate) << c.why;
        EXPECT_LE(busiest, (Period * c.rate + c.sampleRate - 1) / c.sampleRate) << c.why;
    }
}
