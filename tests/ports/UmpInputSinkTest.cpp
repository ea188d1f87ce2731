#include "ports/UmpInputSink.h"

#include "capture/MessageDrain.h"
#include "ports/DeviceSelection.h"
#include "ports/MIDIInput.h"
#include "support/ScriptedBackend.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Rows = std::vector<std::pair<std::vector<std::uint32_t>, int>>; // words, group or 0

// A MIDI input opened on a scripted device of UMP, fed as JACK's reader thread feeds it.
struct UmpPort
{
    ScriptedBackend *device = nullptr;
    MIDIInput input {ScriptedBackend::system(device, {"UMP In"})};

    UmpPort() { DeviceSelection::openInputDevice(input, 0); }
    // One event, its words in the machine's byte order.
    void deliver(std::initializer_list<std::uint32_t> words)
    {
        UmpInputSink(*device->sink)
            .receive({reinterpret_cast<const std::uint8_t *>(std::data(words)), words.size() * 4},
                InputSink::Clock::now());
    }
    Rows drained(bool hideSysEx = false)
    {
        CaptureStore rows;
        MessageDrain::drain(input, 0, hideSysEx, rows, {std::chrono::hours(1)});
        Rows kept;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const Ump::Packet packet = rows.at(row).umpPacket();
            kept.emplace_back(std::vector(packet.words.begin(), packet.words.begin() + packet.size),
                packet.group().value_or(0));
        }
        return kept;
    }
};

} // namespace

TEST(UmpInputSink, EveryPacketBecomesAUmpRowWhole)
{
    UmpPort port;
    port.deliver({0x42903C00, 0xFFFF0000, 0x20913C40}); // MIDI 2.0 note on, then MIDI 1.0 one
    port.deliver({0xD0100000, 0x02FAF080, 0, 0}); // Flex Data tempo, 128 bits, group 1
    port.deliver({0x3C167E7F, 0x0D700102}); // a SysEx7 start, group 13: a row of its own
    port.deliver({0x3C310300, 0x00000000}); // and its end
    port.deliver({0xF0020000, 0, 0, 0}); // a Stream message belongs to no group
    EXPECT_EQ(port.drained(),
        Rows({{{0x42903C00, 0xFFFF0000}, 3}, {{0x20913C40}, 1}, {{0xD0100000, 0x02FAF080, 0, 0}, 1},
            {{0x3C167E7F, 0x0D700102}, 13}, {{0x3C310300, 0x00000000}, 13},
            {{0xF0020000, 0, 0, 0}, 0}}));
    EXPECT_EQ(port.input.DroppedCount(), 0u);
    EXPECT_EQ(port.input.FilteredCount(), 0u);

    port.deliver({0x40903C00}); // the event ends inside a packet
    EXPECT_EQ(port.input.DroppedCount(), 1u);
}

// The filter judges a packet by the MIDI 1.0 status it stands for; what it keeps out is
// counted, and what MIDI 1.0 has no status for passes.
TEST(UmpInputSink, TheStatusFilterCountsWhatItKeepsOut)
{
    UmpPort port;
    port.input.setStatusFilter(0x90, true);
    port.input.setStatusFilter(SysExStatus, true);
    port.deliver({0x40903C00, 0xFFFF0000}); // MIDI 2.0 note on, channel 1
    port.deliver({0x20903C40}); // MIDI 1.0 note on, channel 1
    port.deliver({0x30030102, 0}); // a SysEx7 whole in one packet
    port.deliver({0x50010000, 0, 0, 0}); // a SysEx8
    port.deliver({0x40913C00, 0xFFFF0000}); // note on, channel 2
    port.deliver({0x40003C00, 0x12345678}); // a per-note controller
    EXPECT_EQ(port.input.FilteredCount(), 4u);
    EXPECT_EQ(port.drained(), Rows({{{0x40913C00, 0xFFFF0000}, 1}, {{0x40003C00, 0x12345678}, 1}}));

    // One that waited when the SysEx filter came on is kept out in the drain too.
    port.input.setStatusFilter(SysExStatus, false);
    port.deliver({0x30030102, 0});
    port.deliver({0x10F80000});
    EXPECT_EQ(port.drained(true), Rows({{{0x10F80000}, 1}}));
}
