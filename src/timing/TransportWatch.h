#pragma once

#include "ClockTempo.h"
#include "TimecodeAssembler.h"
#include "capture/CaptureStore.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

// What the received timing messages say: the clock's tempo and steadiness, the transport
// (Start, Stop, Continue and Song Position, then a sixteenth every six pulses while it
// runs) and MIDI Time Code. It reads the stored rows after they were drained, ruling most of
// them out by their first byte alone; a System message of UMP counts as the MIDI 1.0 one it
// carries. One clock is followed at a time: pulses from another source count only once that
// clock has stopped.
class TransportWatch
{
public:
    enum class Transport : std::uint8_t { None, Started, Stopped, Continued };

    // A song position as bars, beats and sixteenths of 4/4, counted from 1.
    struct Position
    {
        std::uint32_t bar;
        int beat, sixteenth;
        bool operator==(const Position &) const = default;
    };

    // What is shown; the clock and the time code only while they keep coming.
    struct Readout
    {
        std::optional<ClockTempo::Reading> clock;
        Transport transport = Transport::None;
        std::optional<Position> position;
        std::optional<Timecode> timecode;

        bool isEmpty() const { return !clock && transport == Transport::None && !timecode; }
    };

    // Takes in the rows stored since the last call; after a Clear All, all of them. False
    // when none of them could change the readout.
    bool catchUp(const CaptureStore &rows);
    // Rows before `row` are passed over: what a readout of the newest traffic leaves unread.
    void startAt(std::size_t row) { m_nextRow = row; }
    // The oldest `count` rows were dropped: the rows not yet taken in are numbered anew.
    void oldestDropped(std::size_t count) { m_nextRow -= std::min(m_nextRow, count); }
    Readout readout(std::int64_t nowUs) const;

private:
    void take(const CapturedMessage &message);
    // Whether the row may have been a timing message.
    bool takeUmp(CapturedMessage message);
    void pulse(const CapturedMessage &message);

    std::size_t m_nextRow = 0;
    ClockTempo m_tempo;
    CaptureStore::Source m_clockSource = 0;
    Transport m_transport = Transport::None;
    bool m_running = false;
    std::optional<std::uint64_t> m_pulsesIntoSong; // known after Start or Song Position
    TimecodeAssembler m_timecode;
    std::int64_t m_lastQuarterFrameUs = 0;
};
