#include "IntervalStatistics.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace IntervalStatistics {
namespace {

    bool isChannelKind(std::uint8_t kind)
    {
        return kind >= 0x80 && kind < 0xF0;
    }

    // Whether the row may match from its glance alone: received, and its first byte fits
    // (a long row is a SysEx, whose first byte the glance does not hold).
    bool mayMatch(std::uint16_t glance, const Selection &selection)
    {
        if ((glance & 0xF) != std::uint8_t(Origin::Received))
            return false;
        if ((glance >> 4 & 0xF) == CaptureStore::LongMessage)
            return selection.kind == 0xF0;
        const auto first = std::uint8_t(glance >> 8);
        return isChannelKind(selection.kind) ? (first & 0xF0) == selection.kind
                                             : first == selection.kind;
    }

    bool matches(const CapturedMessage &message, const Selection &selection)
    {
        return !message.bytes.empty() && (!selection.source || message.source == *selection.source)
            && (!selection.channel || (message.bytes[0] & 0x0F) == *selection.channel)
            && (isChannelKind(selection.kind) || message.bytes[0] == selection.kind);
    }

    std::vector<std::int64_t> intervals(const CaptureStore &rows, const Selection &selection)
    {
        std::vector<std::int64_t> found;
        std::optional<std::int64_t> previous;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (!mayMatch(rows.glance(row), selection))
                continue;
            const CapturedMessage message = rows.at(row);
            if (!matches(message, selection))
                continue;
            if (previous)
                found.push_back(message.stampUs - *previous);
            previous = message.stampUs;
        }
        return found;
    }

    // The value below which `share` of the sorted-by-rank values lie (nearest rank).
    std::int64_t rank(std::vector<std::int64_t> &values, double share)
    {
        const auto at = std::size_t(std::ceil(share * double(values.size()))) - 1;
        std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(at), values.end());
        return values[at];
    }

    void fillHistogram(Figures &figures, const std::vector<std::int64_t> &values, int bins)
    {
        // Up to the 99th percentile, so that a few stray gaps do not squeeze the rest into
        // one bar.
        const std::int64_t span = std::max<std::int64_t>(figures.p99Us - figures.minUs, 1);
        figures.binWidthUs = std::max<std::int64_t>(1, (span + bins - 1) / bins);
        figures.histogram.assign(std::size_t(span / figures.binWidthUs + 1), 0);
        for (const std::int64_t value : values)
            ++figures.histogram[std::min(std::size_t((value - figures.minUs) / figures.binWidthUs),
                figures.histogram.size() - 1)];
    }

} // namespace

Selection Selection::of(const CapturedMessage &message)
{
    Selection selection;
    selection.source = message.source;
    const std::uint8_t status = message.bytes.empty() ? 0 : message.bytes[0];
    if (isChannelKind(status)) {
        selection.kind = status & 0xF0;
        selection.channel = status & 0x0F;
    } else {
        selection.kind = status;
    }
    return selection;
}

std::optional<Figures> measure(const CaptureStore &rows, const Selection &selection, int bins)
{
    return summarize(intervals(rows, selection), bins);
}

std::optional<Figures> summarize(std::vector<std::int64_t> values, int bins)
{
    if (values.empty())
        return std::nullopt;
    Figures figures;
    figures.count = values.size();
    const auto [least, most] = std::ranges::minmax_element(values);
    figures.minUs = *least;
    figures.maxUs = *most;
    double sum = 0, squares = 0;
    for (const std::int64_t value : values)
        sum += double(value);
    figures.meanUs = sum / double(values.size());
    for (const std::int64_t value : values)
        squares += (double(value) - figures.meanUs) * (double(value) - figures.meanUs);
    figures.jitterUs = std::sqrt(squares / double(values.size()));
    figures.p99Us = rank(values, 0.99);
    figures.medianUs = rank(values, 0.5);
    fillHistogram(figures, values, bins);
    return figures;
}

QString text(const Figures &figures)
{
    const QString line = QStringLiteral("%1\t%2\n");
    return line.arg(QStringLiteral("Intervals")).arg(figures.count)
        + line.arg(QStringLiteral("Minimum (\u00B5s)")).arg(figures.minUs)
        + line.arg(QStringLiteral("Median (\u00B5s)")).arg(figures.medianUs)
        + line.arg(QStringLiteral("99th percentile (\u00B5s)")).arg(figures.p99Us)
        + line.arg(QStringLiteral("Maximum (\u00B5s)")).arg(figures.maxUs)
        + line.arg(QStringLiteral("Mean (\u00B5s)")).arg(figures.meanUs, 0, 'f', 1)
        + line.arg(QStringLiteral("Jitter, SD (\u00B5s)")).arg(figures.jitterUs, 0, 'f', 1);
}

} // namespace IntervalStatistics
