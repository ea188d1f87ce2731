#include "TimingText.h"

#include <QStringList>
#include <cmath>

namespace TimingText {
namespace {

    const QString Nothing = QStringLiteral("\u2014");

    QString bpm(std::optional<double> value)
    {
        return value ? QString::number(*value, 'f', 1) + QStringLiteral(" BPM") : Nothing;
    }

    // Signed as it reads to a tenth: a drift of -0.04 is none, not "-0.0".
    QString drift(std::optional<double> value)
    {
        if (!value)
            return Nothing;
        const double shown = std::round(*value * 10) / 10;
        const QString sign = shown > 0 ? QStringLiteral("+") : QString();
        return sign + QString::number(shown == 0 ? 0.0 : shown, 'f', 1) + QStringLiteral(" BPM");
    }

    QString microseconds(double value)
    {
        return QString::number(value, 'f', 0) + QStringLiteral(" \u00B5s");
    }

    // By TransportWatch::Transport and Timecode::Rate.
    constexpr const char *TransportWords[] = {"", "Started", "Stopped", "Continued"};
    constexpr const char *RateWords[] = {"24 fps", "25 fps", "29.97 fps drop", "30 fps"};

    QString twoDigits(int value)
    {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    }

    QString transportText(const TransportWatch::Readout &readout)
    {
        QString text = QLatin1String(TransportWords[int(readout.transport)]);
        if (readout.position)
            text
                += (text.isEmpty() ? QString() : QStringLiteral(" ")) + position(*readout.position);
        return text;
    }

} // namespace

QString timecode(const Timecode &time)
{
    return QStringList {twoDigits(time.hours), twoDigits(time.minutes), twoDigits(time.seconds),
               twoDigits(time.frames)}
               .join(u':')
        + u' ' + QLatin1String(RateWords[int(time.rate)]);
}

QString position(const TransportWatch::Position &position)
{
    return QStringLiteral("%1:%2:%3").arg(position.bar).arg(position.beat).arg(position.sixteenth);
}

QString statusLine(const TransportWatch::Readout &readout)
{
    QStringList parts;
    if (readout.clock && readout.clock->beatBpm)
        parts << bpm(readout.clock->beatBpm) + QStringLiteral(" \u00B1")
                + microseconds(readout.clock->jitterUs);
    if (const QString transport = transportText(readout); !transport.isEmpty())
        parts << transport;
    if (readout.timecode)
        parts << timecode(*readout.timecode);
    return parts.join(QStringLiteral(" | "));
}

std::vector<std::pair<QString, QString>> panelRows(const TransportWatch::Readout &readout)
{
    const auto &clock = readout.clock;
    const auto shown = [&](auto value) { return clock ? value(*clock) : Nothing; };
    const QString transport = transportText(readout);
    return {
        {QStringLiteral("Tempo, last beat"), shown([](auto &c) { return bpm(c.beatBpm); })},
        {QStringLiteral("Tempo, last 4 bars"), shown([](auto &c) { return bpm(c.barsBpm); })},
        {QStringLiteral("Drift"), shown([](auto &c) { return drift(c.driftBpm); })},
        {QStringLiteral("Jitter (SD)"), shown([](auto &c) { return microseconds(c.jitterUs); })},
        {QStringLiteral("Worst deviation"), shown([](auto &c) { return microseconds(c.worstUs); })},
        {QStringLiteral("Transport"), transport.isEmpty() ? Nothing : transport},
        {QStringLiteral("Time code"), readout.timecode ? timecode(*readout.timecode) : Nothing},
    };
}

} // namespace TimingText
