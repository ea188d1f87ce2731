#include "decode/MessageDetails.h"

#include <gtest/gtest.h>

using MessageDetails::MiddleC;
using Bytes = std::vector<std::uint8_t>;

// The known traffic's grid holds the words of its messages in both middle Cs; these tables
// are the rest: the ends of every range and what no capture of it holds.
namespace {

struct Case
{
    Bytes bytes;
    std::string words;
    const char *why;
};

// A `byteCount` beyond the bytes makes them the start of a dump of that size, F7 last.
QString describe(Bytes bytes, std::size_t byteCount = 0, MiddleC middleC = MiddleC::C4)
{
    if (byteCount > bytes.size()) {
        bytes.resize(byteCount - 1, 0x11);
        bytes.push_back(0xF7);
    }
    return MessageDetails::describe(bytes, middleC);
}

void expectWords(std::initializer_list<Case> cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(describe(c.bytes).toStdString(), c.words) << c.why;
}

} // namespace

TEST(MessageDetails, NamesNotesInBothMiddleCConventions)
{
    const struct
    {
        Bytes bytes;
        const char *c4, *c3, *why;
    } cases[] = {
        {{0x9F, 127, 127}, "G9 velocity 127", "G8 velocity 127", "highest note"},
        {{0x80, 71, 64}, "B4 velocity 64", "B3 velocity 64", "note off, last of an octave"},
        {{0xA0, 72, 32}, "C5 pressure 32", "C4 pressure 32", "next octave"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(describe(c.bytes).toStdString(), c.c4) << c.why;
        EXPECT_EQ(describe(c.bytes, 0, MiddleC::C3).toStdString(), c.c3) << c.why;
    }
    EXPECT_EQ(describe({0xB0, 84, 60}, 0, MiddleC::C3), "CC 84 Portamento Control: from C3");
}

TEST(MessageDetails, NamesControllersAndReadsChannelValues)
{
    expectWords({
        {{0xB0, 0, 5}, "CC 0 Bank Select MSB: 5", "first controller"},
        {{0xB0, 31, 5}, "CC 31 Undefined: 5", "last MSB, undefined"},
        {{0xB0, 32, 5}, "CC 32 Bank Select LSB: 5", "first LSB"},
        {{0xB0, 64, 63}, "CC 64 Sustain: off", "switch just below on"},
        {{0xB0, 64, 64}, "CC 64 Sustain: on", "switch on from 64"},
        {{0xB0, 69, 127}, "CC 69 Hold 2: on", "last switch"},
        {{0xB0, 70, 64}, "CC 70 Sound Controller 1: 64", "first past the switches"},
        {{0xB0, 101, 0}, "CC 101 RPN MSB: 0", "parameter number"},
        {{0xB0, 119, 1}, "CC 119 Undefined: 1", "last controller"},
        {{0xB0, 120, 0}, "CC 120 Channel Mode: All Sound Off", "first channel mode"},
        {{0xB0, 122, 0}, "CC 122 Channel Mode: Local Control off", "local control off"},
        {{0xB0, 126, 1}, "CC 126 Channel Mode: Mono On, 1 channel", "mono, one channel"},
        {{0xB0, 127, 0}, "CC 127 Channel Mode: Poly On", "last channel mode"},
        {{0xC0, 0}, "Program 1 (raw 0)", "programs count from 1"},
        {{0xC0, 127}, "Program 128 (raw 127)", "last program"},
        {{0xE0, 0, 0}, "Bend -8192", "lowest bend"},
        {{0xE0, 0x01, 0x40}, "Bend +1", "LSB comes first"},
        {{0xE0, 0x7F, 0x7F}, "Bend +8191", "highest bend"},
    });
}

TEST(MessageDetails, NamesSystemCommonAndRealTime)
{
    const char *pieces[] = {"frames low nibble 5", "frames high nibble 5", "seconds low nibble 5",
        "seconds high nibble 5", "minutes low nibble 5", "minutes high nibble 5",
        "hours low nibble 5"};
    for (std::uint8_t piece = 0; piece < 7; ++piece)
        EXPECT_EQ(describe({0xF1, std::uint8_t(piece << 4 | 5)}).toStdString(),
            std::string("MTC Quarter Frame, ") + pieces[piece]);
    expectWords({
        {{0xF1, 0x77}, "MTC Quarter Frame, hours high bit 1, 30 fps", "last piece carries rate"},
        {{0xF1, 0x74}, "MTC Quarter Frame, hours high bit 0, 29.97 fps drop-frame", "rate 2"},
        {{0xF2, 0x7F, 0x7F}, "Song Position 16383 beats", "largest position"},
        {{0xF2, 0x01, 0x00}, "Song Position 1 beat", "LSB comes first"},
        {{0xF5}, "Undefined System Common F5", "undefined"},
        {{0xFD}, "Undefined Real Time FD", "undefined"},
    });
}

TEST(MessageDetails, DescribesMalformedInputWithoutInventingAnything)
{
    expectWords({
        {{}, "", "a failed send"},
        {{0x3C, 0x40}, "2 bytes without a status", "no status: no channel"},
        {{0x90}, "Note On, incomplete (0 of 2 data bytes)", "status alone"},
        {{0xF2, 0x10}, "Song Position, incomplete (1 of 2 data bytes)", "one short"},
        {{0x90, 0x3C, 0x90}, "Note On, invalid data byte 90", "status where data belongs"},
        {{0xC0, 0xFF}, "Program Change, invalid data byte FF", "status where data belongs"},
        {{0x90, 60, 64, 65}, "C4 velocity 64, 1 extra byte", "more than the status needs"},
        {{0xF8, 1, 2}, "Timing Clock, 2 extra bytes", "real time takes no data"},
    });
}

TEST(MessageDetails, NamesSysExByManufacturerOrSubIdsAndJudgesTheEnd)
{
    const std::string all = "Universal Non-Real-Time, all devices, ";
    const std::string rt = "Universal Real-Time, all devices, ";
    expectWords({
        {{0xF0, 0x01, 0xF7}, "Manufacturer ID 01 Sequential Circuits, 3 bytes", "first ID"},
        {{0xF0, 0x20, 0xF7}, "Manufacturer ID 20 Passac, 3 bytes", "group boundary"},
        {{0xF0, 0x5F, 0xF7}, "Manufacturer ID 5F SD Card Association, 3 bytes", "last named"},
        {{0xF0, 0x45, 0xF7}, "Manufacturer ID 45 (Japanese), 3 bytes", "unlisted keeps region"},
        {{0xF0, 0x7C, 0xF7}, "Manufacturer ID 7C (Other), 3 bytes", "last one-byte ID"},
        {{0xF0, 0, 0, 0x01, 0xF7}, "Manufacturer ID 00 00 01 Time/Warner Interactive, 5 bytes",
            "first 3-byte ID"},
        {{0xF0, 0, 0x21, 0x09, 0xF7}, "Manufacturer ID 00 21 09 Native Instruments, 5 bytes",
            "a European 3-byte ID"},
        {{0xF0, 0, 0x40, 0x03, 0xF7}, "Manufacturer ID 00 40 03 D&M Holdings, 5 bytes",
            "last 3-byte ID"},
        {{0xF0, 0, 0x00, 0x2C, 0xF7}, "Manufacturer ID 00 00 2C (American), 5 bytes",
            "a reserved ID is not a name"},
        {{0xF0, 0x7D, 0xF7}, "Manufacturer ID 7D (Non-commercial), 3 bytes", "research"},
        {{0xF0, 0, 0x1F, 0x7F, 0xF7}, "Manufacturer ID 00 1F 7F (American), 5 bytes", "3-byte"},
        {{0xF0, 0, 0x20, 0xF7}, "Manufacturer ID 00, incomplete, 4 bytes", "ID cut off by F7"},
        {{0xF0, 0xF7}, "SysEx without an ID, 2 bytes", "empty"},
        {{0xF0}, "SysEx without an ID, 1 byte, cut short (no F7 at the end)", "F0 alone"},
        {{0xF0, 0x41, 0x90, 0xF7}, "Manufacturer ID 41 Roland, 4 bytes, stray status byte 90",
            "status inside"},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0, 0x20, 0x33, 1, 0xF7},
            "Universal Non-Real-Time, device 10, Identity Reply from ID 00 20 33 Access Music "
            "Electronics, 10 bytes",
            "reply with a 3-byte ID"},
        {{0xF0, 0x7E, 0x7F, 0x01, 0x05, 0x01, 0xF7},
            all + "Sample Dump Header, sample 133, 7 bytes", "14-bit sample number, LSB first"},
        {{0xF0, 0x7E, 0x7F, 0x7E, 0x03, 0xF7}, all + "NAK, packet 3, 6 bytes", "handshake"},
        {{0xF0, 0x7E, 0x7F, 0x20, 0xF7}, all + "sub-ID 20, 5 bytes", "unknown sub-ID 1"},
        {{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x7F, 0xF7}, rt + "Master Volume 16383, 8 bytes",
            "loudest"},
        {{0xF0, 0x7F, 0x7F, 0x04, 0x04, 0x00, 0x3F, 0xF7},
            rt + "Master Coarse Tuning -1 semitone, 8 bytes", "MSB around 40"},
        {{0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x61, 2, 3, 4, 0xF7},
            rt + "Time Code Full Message 01:02:03:04, 30 fps, 10 bytes", "rate in hours"},
        {{0xF0, 0x7F, 0x7F, 0x06, 0x02, 0xF7}, rt + "MMC Play, 6 bytes", "MMC command"},
    });
    // A huge dump is named from its first bytes, its size whole.
    EXPECT_EQ(describe({0xF0, 0x7E, 0x7F, 0x09, 0x01}, 100'000).toStdString(),
        all + "General MIDI 1 System On, 100000 bytes");
    EXPECT_EQ(describe({0xF0, 0x43, 0x10}, 5'000'000), "Manufacturer ID 43 Yamaha, 5000000 bytes");
}
