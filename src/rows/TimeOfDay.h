#pragma once

#include "capture/CaptureStore.h"

#include <QString>
#include <cstdint>
#include <limits>
#include <string>

// "13:04:59.120": when a received row arrived, in local time. Rows of one second share the
// work of the calendar, so that a column of millions costs little more than its digits.
class TimeOfDay
{
public:
    // Empty for a row the program sent.
    QString of(const CaptureStore &rows, std::size_t row) const;
    void append(std::string &out, const CaptureStore &rows, std::size_t row) const;
    // The time of day of a moment in ms since the epoch, of whatever row.
    void appendMs(std::string &out, std::int64_t ms) const;

private:
    mutable std::int64_t m_second = std::numeric_limits<std::int64_t>::min();
    mutable std::string m_secondText; // "13:04:59."
};
