#include "ports/UmpInputSink.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Recorder : InputSink
{
    std::vector<std::vector<std::uint8_t>> messages;
    std::uint64_t lostCount = 0;

    void receive(std::span<const std::uint8_t> bytes, Clock::time_point) override
    {
        messages.emplace_back(bytes.begin(), bytes.end());
    }
    void lost(std::uint64_t count) override { lostCount += count; }
    void missedCycles(std::uint64_t) override { }
};

// An event as a port of UMP hands it over: the words in the machine's byte order.
std::vector<std::uint8_t> event(std::initializer_list<std::uint32_t> words)
{
    std::vector<std::uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), std::data(words), bytes.size());
    return bytes;
}

} // namespace

TEST(UmpInputSink, HandsOnMidi1AndCountsWhatItCannotKeep)
{
    Recorder target;
    UmpInputSink sink(target);
    const auto now = InputSink::Clock::now();
    sink.receive(event({0x20903C40, 0x10F80000}), now); // two packets in one event
    sink.receive(event({0x30167E7F, 0x0D700102}), now); // a SysEx7 start: nothing yet
    sink.receive(event({0x30310300, 0x00000000}), now); // its end
    EXPECT_EQ(target.messages,
        std::vector<std::vector<std::uint8_t>>(
            {{0x90, 0x3C, 0x40}, {0xF8}, {0xF0, 0x7E, 0x7F, 0x0D, 0x70, 0x01, 0x02, 0x03, 0xF7}}));
    EXPECT_EQ(target.lostCount, 0u);

    sink.receive(event({0x40903C00, 0xFFFF0000}), now); // MIDI 2.0: rows cannot hold it
    sink.receive(event({0x40903C00}), now); // ends inside a packet
    EXPECT_EQ(target.lostCount, 2u);
    EXPECT_EQ(target.messages.size(), 3u);
}
