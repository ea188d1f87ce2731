#include "StampClock.h"

#include "RowStore.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>

namespace {

// How far up a delta looks for a row with a stamp, so that painting stays cheap even among
// many sent rows.
constexpr std::size_t LookBack = 1000;

} // namespace

void StampClock::startEra(std::size_t firstRow, std::int64_t wallMsAtZero)
{
    m_eras.push_back({firstRow, wallMsAtZero});
}

void StampClock::restartRows()
{
    if (m_eras.empty())
        return;
    const Era running {0, m_eras.back().wallMsAtZero};
    m_eras = {running};
}

std::optional<std::int64_t> StampClock::stampOf(std::string_view row)
{
    const std::string_view stamp = tabField(row, 0);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(stamp.data(), stamp.data() + stamp.size(), value);
    if (error != std::errc() || end != stamp.data() + stamp.size() || stamp.empty())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> StampClock::arrival(const RowStore &rows, std::size_t row) const
{
    const std::optional<std::int64_t> stamp = stampOf(rows.row(row));
    const auto era = std::upper_bound(m_eras.begin(), m_eras.end(), row,
        [](std::size_t r, const Era &e) { return r < e.firstRow; });
    if (!stamp || era == m_eras.begin())
        return std::nullopt;
    // Stamps are whole milliseconds of 32 bits; the era says how they run on.
    return std::prev(era)->wallMsAtZero + std::uint32_t(*stamp);
}

QString StampClock::timeOfDay(const RowStore &rows, std::size_t row) const
{
    const std::optional<std::int64_t> ms = arrival(rows, row);
    return ms ? QDateTime::fromMSecsSinceEpoch(*ms).toString(QStringLiteral("HH:mm:ss.zzz"))
              : QString();
}

QString StampClock::delta(const RowStore &rows, std::size_t row) const
{
    const std::optional<std::int64_t> now = arrival(rows, row);
    if (!now)
        return {};
    const std::size_t stop = row > LookBack ? row - LookBack : 0;
    for (std::size_t above = row; above > stop; --above)
        if (const std::optional<std::int64_t> before = arrival(rows, above - 1))
            return (*now >= *before ? QStringLiteral("+") : QString())
                + QString::number(*now - *before);
    return QStringLiteral("+0");
}
