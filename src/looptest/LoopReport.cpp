#include "LoopReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace LoopReport {
namespace {

    // Each figure once, in the order every form gives them: a key for JSON and CSV, and the
    // words a person reads.
    struct Figure
    {
        const char *key;
        const char *words;
        double value;
        int decimals = 0;
    };

    std::vector<Figure> figures(const LoopResults &results)
    {
        std::vector<Figure> list = {
            {"sent", "Sent", double(results.sent)},
            {"received", "Received", double(results.received)},
            {"lost", "Lost", double(results.lost)},
            {"altered", "Altered", double(results.altered)},
            {"duplicated", "Duplicated", double(results.duplicated)},
            {"out_of_order", "Out of order", double(results.outOfOrder)},
            {"other_traffic", "Other traffic (not counted)", double(results.other)},
            {"jack_xruns", "JACK xruns (the server ran late)", double(results.xruns)},
            {"messages_per_second", "Throughput (messages/s)", results.messagesPerSecond(), 1},
        };
        if (results.sysEx) {
            list.push_back(
                {"bytes_per_second", "Throughput (bytes/s)", results.bytesPerSecond(), 1});
            list.push_back({"cable_share_percent", "Share of a MIDI cable (%)",
                100 * results.bytesPerSecond() / LoopResults::CableBytesPerSecond, 1});
        }
        if (const auto &latency = results.latency) {
            list.push_back({"latency_min_us", "Latency minimum (\u00B5s)", double(latency->minUs)});
            list.push_back(
                {"latency_median_us", "Latency median (\u00B5s)", double(latency->medianUs)});
            list.push_back(
                {"latency_p99_us", "Latency 99th percentile (\u00B5s)", double(latency->p99Us)});
            list.push_back({"latency_max_us", "Latency maximum (\u00B5s)", double(latency->maxUs)});
            list.push_back(
                {"latency_jitter_us", "Latency jitter, SD (\u00B5s)", latency->jitterUs, 1});
        }
        return list;
    }

    QString number(const Figure &figure)
    {
        return QString::number(figure.value, 'f', figure.decimals);
    }

    QString quoted(QString text)
    {
        return '"' + text.replace('"', QStringLiteral("\"\"")) + '"';
    }

} // namespace

QString text(const Path &path, const LoopResults &results)
{
    QString out = QStringLiteral("Path: %1 \u2192 %2\n").arg(path.output, path.input);
    if (!results.failure.isEmpty())
        out += results.failure + '\n';
    for (const Figure &figure : figures(results))
        out += QStringLiteral("%1: %2\n").arg(QString::fromUtf8(figure.words), number(figure));
    return out;
}

QString json(const Path &path, const LoopResults &results)
{
    QJsonObject object {{"output", path.output}, {"input", path.input}, {"clean", results.clean()}};
    if (!results.failure.isEmpty())
        object.insert("failure", results.failure);
    for (const Figure &figure : figures(results))
        object.insert(QLatin1String(figure.key), figure.value);
    if (const auto &latency = results.latency) {
        QJsonArray bins;
        for (const std::size_t count : latency->histogram)
            bins.append(qint64(count));
        object.insert("latency_histogram",
            QJsonObject {{"from_us", qint64(latency->minUs)},
                {"bin_width_us", qint64(latency->binWidthUs)}, {"counts", bins}});
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + '\n';
}

QString csv(const Path &path, const LoopResults &results)
{
    QString out = QStringLiteral("Measure,Value\r\noutput,%1\r\ninput,%2\r\n")
                      .arg(quoted(path.output), quoted(path.input));
    if (!results.failure.isEmpty())
        out += QStringLiteral("failure,%1\r\n").arg(quoted(results.failure));
    for (const Figure &figure : figures(results))
        out += QStringLiteral("%1,%2\r\n").arg(QLatin1String(figure.key), number(figure));
    if (const auto &latency = results.latency) {
        out += QStringLiteral("\r\nLatency from (\u00B5s),Count\r\n");
        for (std::size_t bin = 0; bin < latency->histogram.size(); ++bin)
            out += QStringLiteral("%1,%2\r\n")
                       .arg(latency->minUs + std::int64_t(bin) * latency->binWidthUs)
                       .arg(latency->histogram[bin]);
    }
    return out;
}

} // namespace LoopReport
