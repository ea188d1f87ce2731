#pragma once

#include <cstddef>
#include <limits>

// Where the top row of a view lies on its scroll bar. A scroll bar counts in int: while the
// rows fit, a step is a row; past that each step stands for several rows, so that a capture
// of any size scrolls from its first row to its last.
class RowScroll
{
public:
    static constexpr int MostSteps = std::numeric_limits<int>::max();

    // The highest row that can be at the top: the rows less those a screen holds.
    void setLastTop(std::size_t lastTop) { m_lastTop = lastTop; }
    std::size_t lastTop() const { return m_lastTop; }

    int maximum() const { return valueOf(m_lastTop); }
    int valueOf(std::size_t top) const;
    // The first row of a value's step: the last step is the last top row.
    std::size_t topOf(int value) const;
    // A page of `rows` in steps, at least one.
    int stepsOf(std::size_t rows) const;

private:
    bool scaled() const { return m_lastTop > std::size_t(MostSteps); }

    std::size_t m_lastTop = 0;
};
