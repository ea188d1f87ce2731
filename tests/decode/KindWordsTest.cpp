#include "decode/KindWords.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Every message of a status: its data bytes from a few telling values each.
std::vector<std::vector<std::uint8_t>> messagesOf(std::uint8_t status)
{
    constexpr std::uint8_t values[] = {0, 1, 0x40, 0x77, 0x78, 0x7F};
    const std::size_t size = status < 0xF0
        ? ((status >> 4) == 0xC || (status >> 4) == 0xD ? 2 : 3)
        : (status == 0xF2 ? 3 : (status == 0xF1 || status == 0xF3 ? 2 : 1));
    std::vector<std::vector<std::uint8_t>> messages;
    for (std::uint8_t first : values)
        for (std::uint8_t second : values) {
            std::vector<std::uint8_t> message {status, first, second};
            message.resize(size);
            messages.push_back(message);
        }
    return messages;
}

} // namespace

// A search rules rows out by their status before it reads them: a word that matches some
// message of a status must say that status may match, or Find would pass its rows by.
TEST(KindWords, EveryStatusAWordCanMatchIsOneItMayMatch)
{
    for (const char *word : {"NOTE", "NOTE OFF", "NOTE ON", "CC", "CHANNEL MODE", "PROGRAM",
             "AFTERTOUCH", "POLY AFTERTOUCH", "CHANNEL PRESSURE", "PITCH BEND", "SYSEX", "MTC",
             "SONG POSITION", "SONG SELECT", "TUNE REQUEST", "SYSTEM COMMON", "CLOCK", "START",
             "CONTINUE", "STOP", "ACTIVE SENSING", "RESET", "REAL TIME"}) {
        const KindWords kinds(word);
        ASSERT_TRUE(kinds.any()) << word;
        int matched = 0;
        for (int status = 0x80; status <= 0xFF; ++status)
            for (const auto &message : messagesOf(std::uint8_t(status)))
                if (kinds.matches(message)) {
                    ++matched;
                    EXPECT_TRUE(kinds.mayMatchStatus(std::uint8_t(status)))
                        << word << " " << status;
                }
        EXPECT_GT(matched, 0) << word;
    }
}
