#include "looptest/LoadMessages.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace LoadMessages;

namespace {

// Sequence numbers where a field of the encoding fills up or begins.
const std::pair<std::uint64_t, const char *> Boundaries[] = {
    {0, "the first message"},
    {127, "data 2 full"},
    {128, "data 1 begins"},
    {16383, "both data bytes full"},
    {16384, "the channel begins"},
    {ChannelNumbers - 1, "the largest number a channel message carries"},
    {ChannelNumbers, "channel messages begin their numbers again"},
    {LargestSequence, "the largest number of a run"},
};

} // namespace

TEST(LoadMessages, ChannelMessagesAndSysExOfEverySizeRoundTripAtTheBoundaries)
{
    for (const auto &[sequence, why] : Boundaries) {
        const auto message = channelMessage(sequence);
        EXPECT_NE(message[0] & 0xF0, 0x90) << why; // no Note On, whose velocity 0 is ambiguous
        EXPECT_TRUE(
            message[0] >= 0x80 && message[0] < 0xF0 && message[1] < 0x80 && message[2] < 0x80)
            << why;
        const auto low = channelNumber(message);
        ASSERT_TRUE(low) << why;
        EXPECT_EQ(*low, sequence % ChannelNumbers) << why;
        // The checker reads the number near the one it expects next, a little before or after.
        for (const std::uint64_t near :
            {sequence, sequence + 1000, sequence - std::min<std::uint64_t>(sequence, 1000)})
            EXPECT_EQ(unwrapChannelNumber(*low, near), sequence) << why << " near " << near;

        for (const std::size_t size : {SmallestSysEx, std::size_t(64), LargestSysEx}) {
            std::vector<std::uint8_t> sysEx(size);
            writeSysEx(sequence, sysEx);
            EXPECT_TRUE(sysEx.front() == 0xF0 && sysEx.back() == 0xF7) << why;
            EXPECT_TRUE(std::all_of(sysEx.begin() + 1, sysEx.end() - 1, [](std::uint8_t byte) {
                return byte < 0x80;
            })) << why;
            const auto header = sysExHeader(sysEx);
            ASSERT_TRUE(header) << why;
            EXPECT_EQ(header->sequence, sequence) << why;
            EXPECT_EQ(header->size, size) << why;
        }
    }
}

TEST(LoadMessages, AMixedRunHasEveryKindAndNoTwoRealTimeBytesInARow)
{
    std::array<int, 3> kinds {};
    for (std::uint64_t sequence = 0; sequence < 640; ++sequence) {
        const Kind kind = kindAt(Mix::Mixed, sequence);
        ++kinds[std::size_t(kind)];
        const bool afterRealTime
            = sequence > 0 && kindAt(Mix::Mixed, sequence - 1) == Kind::RealTime;
        EXPECT_FALSE(kind == Kind::RealTime && afterRealTime) << sequence;
    }
    EXPECT_TRUE(std::ranges::all_of(kinds, [](int count) { return count > 0; }));
}
