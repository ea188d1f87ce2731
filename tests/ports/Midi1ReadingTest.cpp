#include "ports/Midi1Reading.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

MidiMessage umpMessage(std::initializer_list<std::uint32_t> words)
{
    MidiMessage message;
    message.ump = true;
    message.sysEx = Ump::bytesOf(*Ump::packetAt(std::span(words)));
    return message;
}

MidiMessage midi1Message(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    MidiMessage message;
    message.size = 3;
    message.status = status;
    message.data1 = data1;
    message.data2 = data2;
    return message;
}

MidiMessage sysExMessage(QByteArray bytes)
{
    MidiMessage message;
    message.sysEx = std::move(bytes);
    return message;
}

} // namespace

// A MIDI-CI exchange over a port of UMP needs its SysEx7 packets back as one SysEx.
TEST(Midi1Reading, GivesMidi1WhateverTheInputQueued)
{
    const MidiMessage queued[] = {
        midi1Message(0x90, 0x3C, 0x40), // as MIDI 1.0 queues it
        sysExMessage(QByteArray("\xF0\x7E\xF7", 3)), // a SysEx
        umpMessage({0x20913C40}), // MIDI 1.0 in UMP
        umpMessage({0x40903C00, 0xFFFF0000}), // MIDI 2.0: none
        umpMessage({0x30167E7F, 0x0D700102}), // a SysEx7 start: nothing yet
        umpMessage({0x30310300, 0}), // its end: the SysEx whole
    };
    Midi1Reading reading;
    std::vector<Bytes> taken;
    for (const MidiMessage &message : queued)
        reading.read(
            message, [&taken](auto bytes) { taken.emplace_back(bytes.begin(), bytes.end()); });
    EXPECT_EQ(taken,
        std::vector<Bytes>({{0x90, 0x3C, 0x40}, {0xF0, 0x7E, 0xF7}, {0x91, 0x3C, 0x40},
            {0xF0, 0x7E, 0x7F, 0x0D, 0x70, 0x01, 0x02, 0x03, 0xF7}}));
}
