#include "Require.h"
#include "midi/MessageAssembler.h"
#include "midi/MidiMessage.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// `gap`: the time between one piece and the next.
std::vector<Bytes> assemble(const std::uint8_t *data, std::size_t size, std::uint64_t chunking,
    std::chrono::microseconds gap = {})
{
    MessageAssembler assembler;
    std::vector<Bytes> out;
    const auto deliver
        = [&](std::span<const std::uint8_t> message, MessageAssembler::Clock::time_point) {
              require(!message.empty());
              out.emplace_back(message.begin(), message.end());
          };
    std::mt19937_64 random(chunking);
    MessageAssembler::Clock::time_point arrival;
    for (std::size_t at = 0; at < size; arrival += gap) {
        const std::size_t piece = chunking == 0 ? size : std::min(size - at, random() % 9);
        assembler.feed({data + at, piece}, arrival, deliver);
        at += piece;
    }
    assembler.flush(deliver);
    return out;
}

// `inTime`: no piece came late, so a message is cut short only by a status byte that begins
// the next one, or by the end.
void requireWellFormed(const std::vector<Bytes> &messages, bool inTime)
{
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const Bytes &m = messages[i];
        const std::uint8_t first = m.front();
        if (!isStatusByte(first) || isRealTimeStatus(first)) {
            require(m.size() == 1);
            continue;
        }
        for (std::size_t j = 1; j < m.size(); ++j)
            require(!isStatusByte(m[j])
                || (first == SysExStatus && j + 1 == m.size() && m[j] == EndOfSysEx));
        if (first == SysExStatus)
            continue;
        require(int(m.size()) <= messageLength(first));
        if (inTime && int(m.size()) < messageLength(first)) {
            std::size_t next = i + 1;
            while (next < messages.size() && isRealTimeStatus(messages[next].front()))
                ++next;
            require(next == messages.size() || isStatusByte(messages[next].front()));
        }
    }
}

// Every input byte comes out once and in order: real-time bytes as a sequence of their own,
// all others as the messages joined, apart from the statuses that running status repeats.
void requireEveryByteOnce(const std::uint8_t *data, std::size_t size, const std::vector<Bytes> &out)
{
    Bytes inputRealTime, inputOther, outputRealTime, outputOther;
    for (std::size_t i = 0; i < size; ++i)
        (isRealTimeStatus(data[i]) ? inputRealTime : inputOther).push_back(data[i]);
    std::vector<bool> repeatable;
    for (const Bytes &m : out) {
        if (isRealTimeStatus(m.front())) {
            outputRealTime.push_back(m.front());
            continue;
        }
        for (std::size_t j = 0; j < m.size(); ++j) {
            outputOther.push_back(m[j]);
            repeatable.push_back(j == 0 && isChannelStatus(m[j]));
        }
    }
    require(inputRealTime == outputRealTime);
    std::size_t in = 0;
    for (std::size_t o = 0; o < outputOther.size(); ++o) {
        if (in < inputOther.size() && inputOther[in] == outputOther[o])
            ++in;
        else
            require(repeatable[o]);
    }
    require(in == inputOther.size());
}

} // namespace

// Any byte stream, whole or in any pieces: messages come out well formed, and every byte
// exactly once and in order; pieces that come in time for each other read as the whole.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < sizeof(std::uint64_t))
        return 0;
    std::uint64_t chunking = 0;
    std::memcpy(&chunking, data, sizeof chunking);
    data += sizeof chunking;
    size -= sizeof chunking;
    const std::vector<Bytes> whole = assemble(data, size, 0);
    requireWellFormed(whole, true);
    requireEveryByteOnce(data, size, whole);
    const std::vector<Bytes> pieces = assemble(data, size, chunking | 1);
    require(pieces == whole);
    const std::vector<Bytes> late = assemble(data, size, chunking | 1, MessageAssembler::HoldLimit);
    requireWellFormed(late, false);
    requireEveryByteOnce(data, size, late);
    return 0;
}
