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

// The data bytes decide between kinds that share a status.
TEST(KindWords, TheDataBytesDecideBetweenKindsOfOneStatus)
{
    const struct
    {
        const char *word;
        std::vector<std::uint8_t> message;
        bool matches;
    } cases[] = {
        {"NOTE OFF", {0x93, 0x3C, 0x00}, true}, // a note on of velocity 0 ends the note
        {"NOTE OFF", {0x93, 0x3C, 0x01}, false},
        {"NOTE ON", {0x93, 0x3C, 0x00}, false},
        {"NOTE OFF", {0x83, 0x3C, 0x40}, true},
        {"CHANNEL MODE", {0xB2, 0x78, 0x00}, true},
        {"CHANNEL MODE", {0xB2, 0x77, 0x00}, false},
        {"CC", {0xB2, 0x77, 0x00}, true},
        {"SYSEX", {0xF0, 0x7E, 0xF7}, true},
        {"SYSEX", {0xF7}, false},
        {"CLOCK", {0xF8}, true},
        {"CLOCK", {0xFA}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(KindWords(c.word).matches(c.message), c.matches)
            << c.word << " " << int(c.message[0]) << " "
            << int(c.message.size() > 1 ? c.message[1] : 0);
    for (const char *text : {"", "NOTES ON", "CC 7", "SYSEX 41", "cc"}) // whole upper-case words
        EXPECT_FALSE(KindWords(text).any()) << text;
}
