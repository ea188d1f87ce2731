#pragma once

#include <chrono>
#include <optional>

// Turns the stamps an RtMidi input hands on back into moments on the steady clock. RtMidi's
// ALSA input reads the sequencer's own stamp of each event, from a queue of its port's with
// real-time stamping, but passes on only the difference to the message before (0 for the
// first): the chain of differences keeps the sequencer's spacing, and the moment of arrival
// places the chain on the steady clock.
//
// - The first message, and every SysEx, is stamped when it arrived: RtMidi counts a SysEx
//   that came as several events from the event before its last one, so the chain breaks
//   there.
// - A message is never stamped later than it arrived: when the chain runs ahead of the
//   arrival, the message before reached us late, and the chain starts again from here. So
//   the chain comes to lie the shortest delivery delay seen behind the wire.
// - Nor is it stamped more than LongestDelay before it arrived: a chain that far behind no
//   longer follows the sequencer (a port that stamps nothing passes differences of 0), and
//   starts again from the arrival.
class SequencerClock
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds LongestDelay {100};

    Clock::time_point stamp(
        double secondsSincePrevious, bool breaksChain, Clock::time_point arrival);

private:
    std::optional<Clock::time_point> m_previous;
};
