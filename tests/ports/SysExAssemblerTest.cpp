#include "ports/SysExAssembler.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Feeds the pieces in order and returns the messages that came out.
std::vector<Bytes> assemble(SysExAssembler &assembler, const std::vector<Bytes> &pieces)
{
    std::vector<Bytes> messages;
    for (const Bytes &piece : pieces)
        assembler.feed(piece, [&](std::span<const std::uint8_t> message) {
            messages.emplace_back(message.begin(), message.end());
        });
    return messages;
}

} // namespace

TEST(SysExAssembler, JoinsPiecesAndPassesInterleavedBytes)
{
    struct Case
    {
        const char *why;
        std::vector<Bytes> pieces;
        std::vector<Bytes> messages;
    };
    const Case cases[] = {
        {"whole messages pass as they are", {{0x90, 0x3C, 0x40}, {0xF0, 0x41, 0xF7}},
            {{0x90, 0x3C, 0x40}, {0xF0, 0x41, 0xF7}}},
        {"pieces are joined", {{0xF0, 1, 2}, {3, 4}, {5, 0xF7}}, {{0xF0, 1, 2, 3, 4, 5, 0xF7}}},
        {"a lone EOX piece ends the message", {{0xF0, 1}, {0xF7}}, {{0xF0, 1, 0xF7}}},
        {"clock inside a SysEx passes at once", {{0xF0, 1}, {0xF8}, {2, 0xF7}},
            {{0xF8}, {0xF0, 1, 2, 0xF7}}},
        {"a new status cuts the SysEx short but keeps what came",
            {{0xF0, 1, 2}, {0x90, 0x3C, 0x40}}, {{0xF0, 1, 2}, {0x90, 0x3C, 0x40}}},
        {"bytes after EOX in the same piece are a message of their own",
            {{0xF0, 1}, {2, 0xF7, 0xF8}}, {{0xF0, 1, 2, 0xF7}, {0xF8}}},
        {"an empty piece is ignored", {{}, {0xFE}}, {{0xFE}}},
    };
    for (const Case &c : cases) {
        SysExAssembler assembler;
        EXPECT_EQ(assemble(assembler, c.pieces), c.messages) << c.why;
        EXPECT_FALSE(assembler.isAssembling()) << c.why;
    }
}

TEST(SysExAssembler, ResetDropsAnUnfinishedMessage)
{
    SysExAssembler assembler;
    assemble(assembler, {{0xF0, 1, 2}});
    EXPECT_TRUE(assembler.isAssembling());
    assembler.reset();
    EXPECT_EQ(assemble(assembler, {{3, 0xF7}}), (std::vector<Bytes> {{3, 0xF7}}));
}
