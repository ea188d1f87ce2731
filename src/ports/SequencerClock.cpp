#include "SequencerClock.h"

#include <algorithm>

SequencerClock::Clock::time_point SequencerClock::stamp(
    double secondsSincePrevious, bool breaksChain, Clock::time_point arrival)
{
    const auto spacing
        = std::chrono::round<Clock::duration>(std::chrono::duration<double>(secondsSincePrevious));
    if (!m_previous || breaksChain || *m_previous + spacing < arrival - LongestDelay)
        m_previous = arrival;
    else
        m_previous = std::min(*m_previous + spacing, arrival);
    return *m_previous;
}
