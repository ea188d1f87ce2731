#include "ump/UmpDecoder.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct ExpectedField
{
    const char *name;
    const char *text;
};

struct Vector
{
    std::vector<std::uint32_t> words;
    const char *name;
    std::optional<int> group;
    std::vector<ExpectedField> fields;
};

// Each packet is built by hand from the layouts of the UMP format; the expected values are
// read from those layouts, one reason a line.
const std::vector<Vector> vectors = {
    // Utility: no group
    {{0x00000000}, "NOOP", {}, {}},
    {{0x00101234}, "JR Clock", {}, {{"sender clock time", "4660"}}},
    {{0x00200010}, "JR Timestamp", {}, {{"sender clock timestamp", "16"}}},
    {{0x00300060}, "Delta Clockstamp Ticks Per Quarter Note", {},
        {{"ticks per quarter note", "96"}}},
    {{0x004ABCDE}, "Delta Clockstamp", {}, {{"ticks since last event", "703710"}}}, // 20 bits
    {{0x00500000}, "Utility, reserved status 5", {}, {}},
    // System: group in bits 27-24, counted from 1
    {{0x13F12300}, "MIDI Time Code", 4, {{"piece", "2"}, {"value", "3"}}},
    {{0x10F20102}, "Song Position Pointer", 1, {{"position", "257"}}}, // LSB first
    {{0x10F30500}, "Song Select", 1, {{"song", "5"}}},
    {{0x10F60000}, "Tune Request", 1, {}},
    {{0x10F80000}, "Timing Clock", 1, {}},
    {{0x10FA0000}, "Start", 1, {}},
    {{0x10FB0000}, "Continue", 1, {}},
    {{0x10FC0000}, "Stop", 1, {}},
    {{0x10FE0000}, "Active Sensing", 1, {}},
    {{0x10FF0000}, "Reset", 1, {}},
    {{0x10F40000}, "System, reserved status F4", 1, {}},
    // MIDI 1.0 channel voice
    {{0x20803C40}, "MIDI 1.0 Note Off", 1, {{"channel", "1"}, {"note", "60"}, {"velocity", "64"}}},
    {{0x2F9A3C7F}, "MIDI 1.0 Note On", 16, {{"channel", "11"}, {"velocity", "127"}}},
    {{0x20A03C10}, "MIDI 1.0 Poly Pressure", 1, {{"note", "60"}, {"pressure", "16"}}},
    {{0x20B00740}, "MIDI 1.0 Control Change", 1, {{"controller", "7"}, {"value", "64"}}},
    {{0x20C00500}, "MIDI 1.0 Program Change", 1, {{"program", "5"}}},
    {{0x20D04000}, "MIDI 1.0 Channel Pressure", 1, {{"pressure", "64"}}},
    {{0x20E00040}, "MIDI 1.0 Pitch Bend", 1, {{"bend", "8192"}}}, // centre
    {{0x20700000}, "MIDI 1.0, reserved opcode 7", 1, {}},
    // SysEx7: 64 bits, up to six bytes
    {{0x30047E7F, 0x06010000}, "SysEx7 complete", 1, {{"bytes", "4"}, {"data", "7E 7F 06 01"}}},
    {{0x31167E7F, 0x0D700102}, "SysEx7 start", 2, {{"data", "7E 7F 0D 70 01 02"}}},
    {{0x30220102, 0x00000000}, "SysEx7 continue", 1, {{"data", "01 02"}}},
    {{0x30310100, 0x00000000}, "SysEx7 end", 1, {{"data", "01"}}},
    {{0x30090000, 0x00000000}, "SysEx7 complete", 1,
        {{"bytes", "9 (more than the 6 a packet holds)"}}},
    {{0x30400000, 0x00000000}, "Data 64, reserved status 4", 1, {}},
    // MIDI 2.0 channel voice
    {{0x40903C00, 0xFFFF0000}, "MIDI 2.0 Note On", 1,
        {{"note", "60"}, {"velocity", "65535"}, {"attribute type", "none"}}},
    {{0x40803C03, 0x80007800}, "MIDI 2.0 Note Off", 1,
        {{"velocity", "32768"}, {"attribute type", "pitch 7.9"}, {"attribute", "pitch 60.000"}}},
    {{0x40003C05, 0x12345678}, "MIDI 2.0 Registered Per-Note Controller", 1,
        {{"note", "60"}, {"index", "5"}, {"value", "305419896"}}},
    {{0x40113C7F, 0x00000001}, "MIDI 2.0 Assignable Per-Note Controller", 1,
        {{"channel", "2"}, {"index", "127"}}},
    {{0x40220106, 0x80000000}, "MIDI 2.0 Registered Controller", 1,
        {{"channel", "3"}, {"bank", "1"}, {"index", "6"}, {"value", "2147483648"}}},
    {{0x40327F7F, 0xFFFFFFFF}, "MIDI 2.0 Assignable Controller", 1,
        {{"bank", "127"}, {"index", "127"}, {"value", "4294967295"}}},
    {{0x40400007, 0xFFFFFFFF}, "MIDI 2.0 Relative Registered Controller", 1,
        {{"change", "-1"}}}, // two's complement
    {{0x40500102, 0x00000010}, "MIDI 2.0 Relative Assignable Controller", 1, {{"change", "16"}}},
    {{0x40603C00, 0x80000000}, "MIDI 2.0 Per-Note Pitch Bend", 1, {{"bend", "2147483648"}}},
    {{0x40700000, 0x00000000}, "MIDI 2.0, reserved opcode 7", 1, {}},
    {{0x40A03C00, 0x40000000}, "MIDI 2.0 Poly Pressure", 1, {{"pressure", "1073741824"}}},
    {{0x40B00700, 0xFFFFFFFF}, "MIDI 2.0 Control Change", 1, {{"controller", "7"}}},
    {{0x40C00001, 0x05000203}, "MIDI 2.0 Program Change", 1,
        {{"program", "5"}, {"bank valid", "yes"}, {"bank MSB", "2"}, {"bank LSB", "3"}}},
    {{0x40D00000, 0x00000001}, "MIDI 2.0 Channel Pressure", 1, {{"pressure", "1"}}},
    {{0x40E00000, 0x80000000}, "MIDI 2.0 Pitch Bend", 1, {{"bend", "2147483648"}}},
    {{0x40F03C02, 0x00000000}, "MIDI 2.0 Per-Note Management", 1,
        {{"detach controllers", "yes"}, {"reset controllers", "no"}}},
    // Data 128: SysEx8 counts its stream ID among its bytes
    {{0x500E0141, 0x42434445, 0x46474849, 0x4A4B4C4D}, "SysEx8 complete", 1,
        {{"stream ID", "1"}, {"data", "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D"}}},
    {{0x51130241, 0x42000000, 0, 0}, "SysEx8 start", 2, {{"stream ID", "2"}, {"data", "41 42"}}},
    {{0x50210000, 0, 0, 0}, "SysEx8 continue", 1, {{"data", ""}}},
    {{0x50320041, 0, 0, 0}, "SysEx8 end", 1, {{"data", "41"}}},
    {{0x50830010, 0x00020001, 0x00410002, 0x00030004}, "Mixed Data Set Header", 1,
        {{"MDS ID", "3"}, {"valid bytes in chunk", "16"}, {"chunks", "2"}, {"chunk", "1"},
            {"manufacturer ID", "0041"}, {"device ID", "0002"}, {"sub-ID#1", "0003"},
            {"sub-ID#2", "0004"}}},
    {{0x50930102, 0x03040506, 0x0708090A, 0x0B0C0D0E}, "Mixed Data Set Payload", 1,
        {{"data", "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E"}}},
    {{0x50400000, 0, 0, 0}, "Data 128, reserved status 4", 1, {}},
    // Flex Data
    {{0xD0100000, 0x02FAF080, 0, 0}, "Set Tempo", 1,
        {{"10 ns units per quarter note", "50000000 (120.000 BPM)"}, {"address", "whole group"}}},
    {{0xD0100001, 0x04021800, 0, 0}, "Set Time Signature", 1,
        {{"numerator", "4"}, {"denominator", "4"}, {"32nd notes per beat", "24"}}},
    {{0xD0100002, 0x18020100, 0x04000000, 0}, "Set Metronome", 1,
        {{"clocks per primary click", "24"}, {"bar accent part 1", "2"},
            {"subdivision clicks 1", "4"}}},
    {{0xD0100005, 0xE3000000, 0, 0}, "Set Key Signature", 1,
        {{"sharps or flats", "2 flats"}, {"tonic", "C"}}}, // 4-bit two's complement
    {{0xD0100006, 0x01000000, 0, 0}, "Set Chord Name", 1, {{"chord tonic", "1"}}},
    {{0xD0100003, 0, 0, 0}, "Flex Data setup, reserved status 03", 1, {}},
    {{0xD0100101, 0x48656C6C, 0x6F000000, 0}, "Project Name", 1, {{"text", "Hello"}}},
    {{0xD0450201, 0x6C61206C, 0x61000000, 0}, "Lyrics", 1,
        {{"format", "start"}, {"address", "channel 6"}, {"text", "la la"}}},
    {{0xD0100300, 0, 0, 0}, "Flex Data, reserved status bank 3", 1, {}},
    // UMP Stream: no group
    {{0xF0000101, 0x0000001F, 0, 0}, "Endpoint Discovery", {},
        {{"UMP version", "1.1"}, {"filter", "1F"}}},
    {{0xF0010101, 0x83000301, 0, 0}, "Endpoint Info Notification", {},
        {{"static function blocks", "yes"}, {"function blocks", "3"}, {"MIDI 2.0 protocol", "yes"},
            {"MIDI 1.0 protocol", "yes"}, {"receives JR timestamps", "no"},
            {"sends JR timestamps", "yes"}}},
    {{0xF0020000, 0x00410000, 0x01020304, 0x00010203}, "Device Identity Notification", {},
        {{"manufacturer", "41 Roland"}, {"family", "0101 (257)"}, {"model", "0203 (515)"},
            {"software revision", "00 01 02 03"}}},
    {{0xF0034C75, 0x6D657472, 0x61000000, 0}, "Endpoint Name Notification", {},
        {{"format", "complete"}, {"text", "Lumetra"}}},
    {{0xF4044142, 0x43000000, 0, 0}, "Product Instance Id Notification", {},
        {{"format", "start"}, {"text", "ABC"}}},
    {{0xF0050200, 0, 0, 0}, "Stream Configuration Request", {}, {{"protocol", "MIDI 2.0"}}},
    {{0xF0060103, 0, 0, 0}, "Stream Configuration Notification", {},
        {{"protocol", "MIDI 1.0"}, {"receives JR timestamps", "yes"}}},
    {{0xF010FF03, 0, 0, 0}, "Function Block Discovery", {},
        {{"function block", "all"}, {"filter", "03"}}},
    // The MIDI-CI field is the whole byte of bits 15-8 of the second word.
    {{0xF0118225, 0x03021103, 0, 0}, "Function Block Info Notification", {},
        {{"active", "yes"}, {"function block", "2"}, {"UI hint", "sender"},
            {"MIDI 1.0", "yes, unrestricted bandwidth"}, {"direction", "input"},
            {"first group", "4"}, {"groups spanned", "2"}, {"MIDI-CI version", "11"},
            {"SysEx8 streams", "3"}}},
    // The name begins in the byte right after the block's number.
    {{0xF0120153, 0x796E7468, 0, 0}, "Function Block Name Notification", {},
        {{"function block", "1"}, {"text", "Synth"}}},
    {{0xF0200000, 0, 0, 0}, "Start of Clip", {}, {}},
    {{0xF0210000, 0, 0, 0}, "End of Clip", {}, {}},
    {{0xF0300000, 0, 0, 0}, "UMP Stream, reserved status 030", {}, {}},
    // Reserved types keep their size
    {{0x60000000}, "Reserved message type 6, 32 bits", 1, {}},
    {{0x7F000000}, "Reserved message type 7, 32 bits", 16, {}},
    {{0x80000000, 0}, "Reserved message type 8, 64 bits", 1, {}},
    {{0x90000000, 0}, "Reserved message type 9, 64 bits", 1, {}},
    {{0xA0000000, 0}, "Reserved message type A, 64 bits", 1, {}},
    {{0xB0000000, 0, 0}, "Reserved message type B, 96 bits", 1, {}},
    {{0xC0000000, 0, 0}, "Reserved message type C, 96 bits", 1, {}},
    {{0xE0000000, 0, 0, 0}, "Reserved message type E, 128 bits", 1, {}},
};

QString fieldText(const Ump::Decoded &decoded, const char *name)
{
    for (const Ump::Field &field : decoded.fields)
        if (field.name == QLatin1String(name))
            return field.text;
    return QStringLiteral("<no field>");
}

TEST(UmpDecoder, ReadsEveryTypeAndStatusFromItsLayout)
{
    for (const Vector &vector : vectors) {
        SCOPED_TRACE(vector.name);
        const std::optional<Ump::Packet> packet = Ump::packetAt(vector.words);
        ASSERT_TRUE(packet);
        EXPECT_EQ(packet->size, vector.words.size()); // each vector is exactly one packet
        const Ump::Decoded decoded = Ump::decode(*packet);
        EXPECT_EQ(decoded.name.toStdString(), vector.name);
        EXPECT_EQ(decoded.group, vector.group);
        for (const ExpectedField &field : vector.fields)
            EXPECT_EQ(fieldText(decoded, field.name).toStdString(), field.text) << field.name;
    }
}

TEST(UmpDecoder, PacketsEndingEarlyAreNotRead)
{
    const std::uint32_t sysEx8Start[] = {0x500E0141, 0x42434445, 0x46474849};
    EXPECT_FALSE(Ump::packetAt(sysEx8Start)); // 128 bits needed, 96 given
    EXPECT_FALSE(Ump::packetAt({}));
}

TEST(UmpDecoder, LineNamesTheGroupAndEveryField)
{
    const std::uint32_t noteOn[] = {0x43953C00, 0xFFFF0000};
    EXPECT_EQ(Ump::decode(*Ump::packetAt(noteOn)).line(),
        QStringLiteral("MIDI 2.0 Note On, group 4: channel 6, note 60, velocity 65535, "
                       "attribute type none, attribute 0"));
}

} // namespace
