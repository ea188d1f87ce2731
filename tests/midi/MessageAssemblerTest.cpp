#include "midi/MessageAssembler.h"

#include "midi/MidiMessage.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = MessageAssembler::Clock;
using std::chrono::microseconds;

struct Stamped
{
    Bytes bytes;
    microseconds began; // since the first piece

    bool operator==(const Stamped &) const = default;
};

// Feeds the pieces in order, each at its time since the first, then flushes, and returns the
// messages that came out with when each began.
std::vector<Stamped> assembleAt(const std::vector<std::pair<Bytes, int>> &pieces,
    std::size_t largestSysEx = 1024, int *oversized = nullptr)
{
    MessageAssembler assembler(largestSysEx);
    std::vector<Stamped> messages;
    const Clock::time_point start;
    const auto deliver = [&](std::span<const std::uint8_t> message, Clock::time_point began) {
        messages.push_back({{message.begin(), message.end()},
            std::chrono::duration_cast<microseconds>(began - start)});
    };
    for (const auto &[piece, at] : pieces)
        assembler.feed(
            piece, start + microseconds(at), deliver, [&] { oversized && ++*oversized; });
    assembler.flush(deliver);
    return messages;
}

// The same for pieces that arrive at once, and the messages' bytes alone.
std::vector<Bytes> assemble(
    const std::vector<Bytes> &pieces, std::size_t largestSysEx = 1024, int *oversized = nullptr)
{
    std::vector<std::pair<Bytes, int>> atOnce;
    for (const Bytes &piece : pieces)
        atOnce.emplace_back(piece, 0);
    std::vector<Bytes> messages;
    for (Stamped &message : assembleAt(atOnce, largestSysEx, oversized))
        messages.push_back(std::move(message.bytes));
    return messages;
}

} // namespace

TEST(MessageAssembler, ReadsTheStreamAsMidiDefinesIt)
{
    const struct
    {
        const char *why;
        std::vector<Bytes> pieces;
        std::vector<Bytes> messages;
    } cases[] = {
        {"whole messages pass as they are", {{0x90, 0x3C, 0x40}, {0xF0, 0x41, 0xF7}},
            {{0x90, 0x3C, 0x40}, {0xF0, 0x41, 0xF7}}},
        {"SysEx pieces are joined", {{0xF0, 1, 2}, {3, 4}, {5, 0xF7}},
            {{0xF0, 1, 2, 3, 4, 5, 0xF7}}},
        {"a status ends an open SysEx, which keeps its bytes and gets no F7",
            {{0xF0, 1, 2}, {0x90, 0x3C, 0x40}, {0xF8}, {0xF7}},
            {{0xF0, 1, 2}, {0x90, 0x3C, 0x40}, {0xF8}, {0xF7}}},
        {"the same when one piece carries all of it", {{0xF0, 1, 2, 0x90, 0x3C, 0x40, 0xF8, 0xF7}},
            {{0xF0, 1, 2}, {0x90, 0x3C, 0x40}, {0xF8}, {0xF7}}},
        {"real time inside a SysEx is a row of its own, first",
            {{0xF0, 1}, {0xF8}, {2, 0xFE, 0xF7}}, {{0xF8}, {0xFE}, {0xF0, 1, 2, 0xF7}}},
        {"real time inside a channel message", {{0x90, 0x3C, 0xF8, 0x40}},
            {{0xF8}, {0x90, 0x3C, 0x40}}},
        {"a lone F7", {{0xF7}, {0x80, 1, 2}}, {{0xF7}, {0x80, 1, 2}}},
        {"running status, within and across pieces", {{0x90, 0x3C, 0x7F, 0x3D, 0x7F}, {0x3E, 0}},
            {{0x90, 0x3C, 0x7F}, {0x90, 0x3D, 0x7F}, {0x90, 0x3E, 0}}},
        {"running status with one data byte", {{0xC5, 7, 8}}, {{0xC5, 7}, {0xC5, 8}}},
        {"running status survives real time", {{0x90, 1, 2, 0xF8, 3, 4}},
            {{0x90, 1, 2}, {0xF8}, {0x90, 3, 4}}},
        {"system common cancels running status", {{0x90, 1, 2, 0xF6, 3}},
            {{0x90, 1, 2}, {0xF6}, {3}}},
        {"data bytes with no status come alone", {{0x3C, 0x40}}, {{0x3C}, {0x40}}},
        {"a message short of data is cut by the next status, as received",
            {{0x90, 0x3C}, {0x80, 0x3C, 0x40}}, {{0x90, 0x3C}, {0x80, 0x3C, 0x40}}},
        {"system common lengths", {{0xF1, 0x21, 0xF2, 0x10, 0x20, 0xF3, 5, 0xF6, 0xF4}},
            {{0xF1, 0x21}, {0xF2, 0x10, 0x20}, {0xF3, 5}, {0xF6}, {0xF4}}},
        {"a message split after its first data byte", {{0x90, 0x3C}, {0x40}}, {{0x90, 0x3C, 0x40}}},
        {"a message split after its status", {{0x90}, {0x3C, 0x40}}, {{0x90, 0x3C, 0x40}}},
        {"system common split", {{0xF2, 0x10}, {0x00}}, {{0xF2, 0x10, 0x00}}},
        {"running status split", {{0x90, 1, 2, 3}, {4}}, {{0x90, 1, 2}, {0x90, 3, 4}}},
        {"real time between the pieces of a split message", {{0xB0, 7}, {0xF8}, {0x40}},
            {{0xF8}, {0xB0, 7, 0x40}}},
        {"a SysEx still open at the end is flushed as received", {{0xF0, 7}, {}}, {{0xF0, 7}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(assemble(c.pieces), c.messages) << c.why;
}

TEST(MessageAssembler, PassesOnAMessageStillShortOfDataOnceItIsStale)
{
    const microseconds limit = MessageAssembler::HoldLimit;
    const int justBefore = int(limit.count()) - 1, atLimit = int(limit.count());
    const struct
    {
        const char *why;
        std::vector<std::pair<Bytes, int>> pieces;
        std::vector<Stamped> messages;
    } cases[] = {
        {"completed in time: stamped when it began", {{{0x90, 0x3C}, 0}, {{0x40}, justBefore}},
            {{{0x90, 0x3C, 0x40}, {}}}},
        {"a late piece passes the stale one on first, then reuses its status",
            {{{0x90, 0x3C}, 0}, {{0x40}, atLimit}}, {{{0x90, 0x3C}, {}}, {{0x90, 0x40}, limit}}},
        {"held from its first piece, not its last",
            {{{0x90}, 0}, {{0x3C}, justBefore}, {{0x40}, atLimit}},
            {{{0x90, 0x3C}, {}}, {{0x90, 0x40}, limit}}},
        {"a SysEx is never stale", {{{0xF0, 1}, 0}, {{2, 0xF7}, 10 * atLimit}},
            {{{0xF0, 1, 2, 0xF7}, {}}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(assembleAt(c.pieces), c.messages) << c.why;

    // The input's timer looks again when the held message goes stale, and not when none is held.
    MessageAssembler assembler;
    const auto ignore = [](std::span<const std::uint8_t>, Clock::time_point) {};
    const Clock::time_point start;
    assembler.feed(Bytes {0xC0, 5, 0xB0, 7}, start, ignore);
    EXPECT_EQ(assembler.heldUntil(), start + limit);
    assembler.flushStale(start + limit, ignore);
    EXPECT_EQ(assembler.heldUntil(), std::nullopt);
}

TEST(MessageAssembler, LetsGoOfASysExThatOutgrowsTheLimitAndSaysSo)
{
    int oversized = 0;
    EXPECT_EQ(assemble({{0xF0, 1, 2, 3}, {4, 5, 6, 0xF7}, {0x90, 0x3C, 0x40}}, 4, &oversized),
        (std::vector<Bytes> {{0x90, 0x3C, 0x40}}));
    EXPECT_EQ(oversized, 1);
    EXPECT_EQ(assemble({{0xF0, 1, 2, 0xF7}}, 4), (std::vector<Bytes> {{0xF0, 1, 2, 0xF7}}))
        << "within the limit";
}

// What a JACK output takes as one event.
TEST(WholeMessage, IsOneStatusWithItsDataOrOneSysExToItsF7)
{
    const std::pair<Bytes, bool> cases[] = {
        {{0x90, 0x3C, 0x7F}, true},
        {{0xC0, 0x05}, true},
        {{0xF8}, true},
        {{0xF0, 0x7E, 0xF7}, true},
        {{0x90, 0x3C}, false}, // short of a data byte
        {{0xC0, 0x05, 0x01}, false}, // a data byte too many
        {{0x3C}, false}, // no status
        {{0xF7}, false}, // an end with no SysEx
        {{0xF0, 0x7E}, false}, // no F7
        {{0xF0, 0x01, 0xF7, 0x02, 0xF7}, false}, // two messages
        {{0x90, 0x3C, 0x80}, false}, // a status where data belongs
        {{}, false},
    };
    for (const auto &[bytes, whole] : cases)
        EXPECT_EQ(isWholeMessage(bytes), whole) << testing::PrintToString(bytes);
}
