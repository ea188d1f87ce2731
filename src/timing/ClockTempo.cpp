#include "ClockTempo.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double MicrosecondsPerMinute = 60e6;

} // namespace

void ClockTempo::pulse(std::int64_t stampUs)
{
    if (m_pulses > 0 && stampUs - stampBefore(0) > StoppedAfterUs)
        m_pulses = 0;
    m_stamps[m_pulses % Kept] = stampUs;
    ++m_pulses;
}

bool ClockTempo::isRunning(std::int64_t nowUs) const
{
    return m_pulses > 0 && nowUs - stampBefore(0) <= StoppedAfterUs;
}

std::optional<double> ClockTempo::bpmOver(std::size_t intervals) const
{
    const auto span = double(stampBefore(0) - stampBefore(intervals));
    if (span <= 0)
        return std::nullopt; // pulses of one stamp, or stamps that went back
    const double bpm = MicrosecondsPerMinute * double(intervals) / PulsesPerBeat / span;
    const double shown = std::round(bpm * 10) / 10;
    if (shown < LowestBpm || shown > HighestBpm)
        return std::nullopt;
    return bpm;
}

std::optional<ClockTempo::Reading> ClockTempo::reading() const
{
    const std::size_t intervals = std::min(m_pulses, Kept) - (m_pulses > 0 ? 1 : 0);
    if (intervals == 0)
        return std::nullopt;
    Reading reading {};
    reading.intervals = intervals;
    reading.beatBpm = bpmOver(std::min<std::size_t>(intervals, PulsesPerBeat));
    reading.barsBpm = bpmOver(intervals);
    // Until more than a beat is in, both tempi rest on the same pulses: no drift is measured.
    if (reading.beatBpm && reading.barsBpm && intervals > std::size_t(PulsesPerBeat))
        reading.driftBpm = *reading.beatBpm - *reading.barsBpm;
    const double mean = double(stampBefore(0) - stampBefore(intervals)) / double(intervals);
    double squares = 0;
    for (std::size_t back = 0; back < intervals; ++back) {
        const double deviation = double(stampBefore(back) - stampBefore(back + 1)) - mean;
        squares += deviation * deviation;
        reading.worstUs = std::max(reading.worstUs, std::abs(deviation));
    }
    reading.jitterUs = std::sqrt(squares / double(intervals));
    return reading;
}
