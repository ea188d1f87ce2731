#include "IntervalStatistics.h"

#include "midi/UmpFilterStatus.h"

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
    // (a long row is a SysEx, whose first byte the glance does not hold; a UMP row is read).
    bool mayMatch(std::uint16_t glance, const Selection &selection)
    {
        if ((glance & 0xF) != std::uint8_t(Origin::Received))
            return false;
        if ((glance >> 4 & 0xF) == CaptureStore::UmpMessage)
            return true;
        if ((glance >> 4 & 0xF) == CaptureStore::LongMessage)
            return selection.kind == 0xF0;
        const auto first = std::uint8_t(glance >> 8);
        return isChannelKind(selection.kind) ? (first & 0xF0) == selection.kind
                                             : first == selection.kind;
    }

    // The row's status as MIDI 1.0 has it: its first byte, or that of a UMP message (see
    // Ump::messageStatusOf). 0 for a failed send and the rest of UMP.
    std::uint8_t statusOf(const CapturedMessage &message)
    {
        if (!message.isUmp())
            return message.bytes.empty() ? 0 : message.bytes[0];
        return Ump::messageStatusOf(message.umpPacket()).value_or(0);
    }

    bool matches(const CapturedMessage &message, const Selection &selection)
    {
        const std::uint8_t status = statusOf(message);
        const bool kind = isChannelKind(selection.kind) ? (status & 0xF0) == selection.kind
                                                        : status == selection.kind;
        return status != 0 && kind && (!selection.source || message.source == *selection.source)
            && (!selection.channel || (status & 0x0F) == *selection.channel);
    }

    // A Start, Stop or Continue of the source: the clock (and the music) may halt between.
    bool isTransport(
        std::uint16_t glance, const Selection &selection, const CaptureStore &rows, std::size_t row)
    {
        const auto isTransportStatus
            = [](std::uint8_t status) { return status >= 0xFA && status <= 0xFC; };
        const auto size = std::uint8_t(glance >> 4 & 0xF);
        const bool transport = (glance & 0xF) == std::uint8_t(Origin::Received)
            && (size == CaptureStore::UmpMessage
                    ? isTransportStatus(statusOf(rows.at(row)))
                    : size == 1 && isTransportStatus(std::uint8_t(glance >> 8)));
        return transport && (!selection.source || rows.at(row).source == *selection.source);
    }

    // Whether the port of `source` was started again after row `before`, up to `row`.
    bool restartedBetween(
        const CaptureStore &rows, CaptureStore::Source source, std::size_t before, std::size_t row)
    {
        return std::ranges::any_of(rows.portStarts(source),
            [&](const auto &start) { return start.firstRow > before && start.firstRow <= row; });
    }

    struct Gaps
    {
        std::vector<std::int64_t> intervals;
        std::size_t acrossTransport = 0, acrossRestart = 0;
    };

    Gaps gaps(const CaptureStore &rows, const Selection &selection, const RowRange &range)
    {
        Gaps found;
        std::optional<CapturedMessage> previous;
        std::size_t previousRow = 0;
        bool transportSince = false;
        for (std::size_t row = range.first; row < std::min(range.end, rows.size()); ++row) {
            const std::uint16_t glance = rows.glance(row);
            transportSince = transportSince || isTransport(glance, selection, rows, row);
            if (!mayMatch(glance, selection))
                continue;
            const CapturedMessage message = rows.at(row);
            if (!matches(message, selection))
                continue;
            if (previous && transportSince)
                ++found.acrossTransport;
            else if (previous
                && (restartedBetween(rows, message.source, previousRow, row)
                    || restartedBetween(rows, previous->source, previousRow, row)))
                ++found.acrossRestart;
            else if (previous)
                found.intervals.push_back(message.stampUs - previous->stampUs);
            previous = message;
            previousRow = row;
            transportSince = false;
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

    // Leaves out the gaps longer than `times` the 90th percentile of them; returns how many.
    // Not the median: a stream of two kinds of gap (two channels, short and long) has a
    // median of the short ones, and every long one would go.
    std::size_t leaveOutPauses(std::vector<std::int64_t> &intervals, int times)
    {
        if (intervals.empty() || times <= 0)
            return 0;
        std::vector<std::int64_t> ranked = intervals;
        const std::int64_t usual = rank(ranked, 0.9);
        if (usual <= 0)
            return 0;
        return std::size_t(
            std::erase_if(intervals, [&](std::int64_t gap) { return gap > usual * times; }));
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
    const std::uint8_t status = statusOf(message);
    if (isChannelKind(status)) {
        selection.kind = status & 0xF0;
        selection.channel = status & 0x0F;
    } else {
        selection.kind = status;
    }
    return selection;
}

std::optional<Figures> measure(
    const CaptureStore &rows, const Selection &selection, const Scope &scope, int bins)
{
    Gaps found = gaps(rows, selection, scope.rows.value_or(RowRange {0, rows.size()}));
    const std::size_t pauses = leaveOutPauses(found.intervals, scope.pauseIntervals);
    std::optional<Figures> figures = summarize(std::move(found.intervals), bins);
    if (figures) {
        figures->acrossTransport = found.acrossTransport;
        figures->acrossRestart = found.acrossRestart;
        figures->pauses = pauses;
    }
    return figures;
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

std::vector<std::pair<QString, QString>> lines(const Figures &figures)
{
    const auto whole = [](auto value) { return QString::number(value); };
    const auto tenths = [](double value) { return QString::number(value, 'f', 1); };
    return {
        {QStringLiteral("Intervals"), whole(figures.count)},
        {QStringLiteral("Minimum (\u00B5s)"), whole(figures.minUs)},
        {QStringLiteral("Median (\u00B5s)"), whole(figures.medianUs)},
        {QStringLiteral("99th percentile (\u00B5s)"), whole(figures.p99Us)},
        {QStringLiteral("Maximum (\u00B5s)"), whole(figures.maxUs)},
        {QStringLiteral("Mean (\u00B5s)"), tenths(figures.meanUs)},
        {QStringLiteral("Jitter, SD (\u00B5s)"), tenths(figures.jitterUs)},
        {QStringLiteral("Left out: across Start, Stop or Continue"),
            whole(figures.acrossTransport)},
        {QStringLiteral("Left out: across a port restart"), whole(figures.acrossRestart)},
        {QStringLiteral("Left out: pauses"), whole(figures.pauses)},
    };
}

QString text(const Figures &figures)
{
    QString text;
    for (const auto &[words, value] : lines(figures))
        text += words + QLatin1Char('\t') + value + QLatin1Char('\n');
    return text;
}

} // namespace IntervalStatistics
