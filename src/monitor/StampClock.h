#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class RowStore;

// Turns the stamps of stored rows back into the moments they arrived. Stamps count from the
// start of the input; each start of the input begins an era of stamps, from the row that
// was next to be stored then.
class StampClock
{
public:
    // From row `firstRow` on, stamp 0 is the moment `wallMsAtZero` (ms since the epoch).
    void startEra(std::size_t firstRow, std::int64_t wallMsAtZero);
    // The rows are gone; the era running goes on from row 0.
    void restartRows();

    // When the row arrived, in ms since the epoch; nothing for a row without a stamp (SENT).
    std::optional<std::int64_t> arrival(const RowStore &rows, std::size_t row) const;
    // "13:04:59.120", local time; empty for a row without a stamp.
    QString timeOfDay(const RowStore &rows, std::size_t row) const;
    // "+12", the ms since the nearest row above with a stamp; empty without one.
    QString delta(const RowStore &rows, std::size_t row) const;

    static std::optional<std::int64_t> stampOf(std::string_view row);

private:
    struct Era
    {
        std::size_t firstRow;
        std::int64_t wallMsAtZero;
    };
    std::vector<Era> m_eras;
};
