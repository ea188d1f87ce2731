#include "loadgen/LoadMessages.h"

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

TEST(LoadMessages, AnyAlteredOrLostSysExByteShows)
{
    std::vector<std::uint8_t> original(24);
    writeSysEx(5000, original);
    const auto stillReadsAsOurs = [](const std::vector<std::uint8_t> &message) {
        const auto header = sysExHeader(message);
        if (!header)
            return false;
        std::vector<std::uint8_t> rewritten(header->size);
        writeSysEx(header->sequence, rewritten);
        return rewritten == message;
    };
    ASSERT_TRUE(stillReadsAsOurs(original));
    for (std::size_t i = 1; i + 1 < original.size(); ++i) {
        auto altered = original;
        altered[i] ^= 0x01;
        EXPECT_FALSE(stillReadsAsOurs(altered)) << "byte " << i << " altered";
        auto shortened = original;
        shortened.erase(shortened.begin() + std::ptrdiff_t(i));
        EXPECT_FALSE(stillReadsAsOurs(shortened)) << "byte " << i << " lost";
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
    EXPECT_GT(kinds[std::size_t(Kind::Channel)], kinds[std::size_t(Kind::RealTime)]);
    EXPECT_GT(kinds[std::size_t(Kind::RealTime)], kinds[std::size_t(Kind::SysEx)]);
    EXPECT_GT(kinds[std::size_t(Kind::SysEx)], 0);
    for (const Mix mix : {Mix::Channel, Mix::SysEx, Mix::RealTime, Mix::Mixed})
        EXPECT_EQ(mixNamed(mixName(mix)), mix);
    EXPECT_FALSE(mixNamed("Mixed")); // names are taken as written
}
