#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The tempo and steadiness of a MIDI clock, from the stamps of its pulses (24 a quarter
// note). It keeps the pulses of the last four bars of 4/4; a pulse costs a store, the
// figures are worked out only when read.
class ClockTempo
{
public:
    static constexpr int PulsesPerBeat = 24;
    static constexpr int WindowBeats = 16; // four bars of 4/4
    // A pause longer than this ends a clock: the next pulse starts a new one.
    static constexpr std::int64_t StoppedAfterUs = 1'000'000;

    // The tempi a clock is read at; outside them pulses are a burst or stamps out of order,
    // and a figure would mislead. A running clock never reads below 2.5 BPM (a pulse a
    // second, see StoppedAfterUs), so 1 leaves room for a slow clock's jitter; sequencers
    // stop well below 1000, and above it pulses come less than 2.5 ms apart, as close as
    // a stream's own jitter. 999.9 is also the widest the readout's figures are laid out for.
    static constexpr double LowestBpm = 1.0;
    static constexpr double HighestBpm = 999.9;

    // Tempi are known only within LowestBpm and HighestBpm, to a tenth.
    struct Reading
    {
        std::optional<double> beatBpm; // over the last beat, or the pulses there are
        std::optional<double> barsBpm; // over the last four bars, or the pulses there are
        // The last beat against the four bars: above 0 when speeding up.
        std::optional<double> driftBpm;
        double jitterUs; // standard deviation of the intervals over the four bars
        double worstUs; // the interval furthest from their average, its distance from it
        std::size_t intervals; // how many the figures rest on
    };

    void pulse(std::int64_t stampUs);
    void clear() { m_pulses = 0; }
    // Nothing before the second pulse.
    std::optional<Reading> reading() const;
    // Whether a pulse came within StoppedAfterUs before `nowUs`.
    bool isRunning(std::int64_t nowUs) const;

private:
    static constexpr std::size_t Kept = std::size_t(WindowBeats) * PulsesPerBeat + 1;

    // The stamp `back` pulses before the last one.
    std::int64_t stampBefore(std::size_t back) const
    {
        return m_stamps[(m_pulses - 1 - back) % Kept];
    }
    std::optional<double> bpmOver(std::size_t intervals) const;

    std::array<std::int64_t, Kept> m_stamps {};
    std::size_t m_pulses = 0; // since the clock began
};
