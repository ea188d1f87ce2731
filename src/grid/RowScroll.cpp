#include "RowScroll.h"

#include <algorithm>

// 128 bits: a row number times a step count passes 64.
__extension__ using Wide = unsigned __int128;

int RowScroll::valueOf(std::size_t top) const
{
    top = std::min(top, m_lastTop);
    return scaled() ? int(Wide(top) * MostSteps / m_lastTop) : int(top);
}

std::size_t RowScroll::topOf(int value) const
{
    const std::size_t steps = std::size_t(std::clamp(value, 0, maximum()));
    if (!scaled())
        return steps;
    // Rounded up, so that the row at a step's top maps back to that step.
    return std::size_t((Wide(steps) * m_lastTop + MostSteps - 1) / MostSteps);
}

int RowScroll::stepsOf(std::size_t rows) const
{
    return std::max(1,
        scaled() ? int(Wide(rows) * MostSteps / m_lastTop)
                 : int(std::min(rows, std::size_t(MostSteps))));
}
