#include "TrafficWords.h"

#include "capture/CaptureStore.h"
#include "midi/MidiMessage.h"

#include <QRegularExpression>
#include <algorithm>

int TrafficWords::channelOf(const QString &word)
{
    static const QRegularExpression channel(
        QStringLiteral("^(?:ch|channel)? ?(\\d{1,2})$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = channel.match(word);
    const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
    return number >= 1 && number <= 16 ? number : 0;
}

bool TrafficWords::readKindOrChannel(const QString &word)
{
    // Find's words are separated by blanks; on a command line "note-on" reads as "note on".
    const std::string upper
        = word.simplified().toUpper().replace(QLatin1Char('-'), QLatin1Char(' ')).toStdString();
    if (const KindWords kinds(upper); kinds.any()) {
        m_kinds.push_back(kinds);
        return true;
    }
    if (const int channel = channelOf(word.simplified())) {
        m_channels.set(std::size_t(channel - 1));
        return true;
    }
    return false;
}

bool TrafficWords::names(const CapturedMessage &message, const QString &sourceName) const
{
    const auto bytes = message.bytes;
    if (std::ranges::any_of(m_kinds, [&](const KindWords &kinds) { return kinds.matches(bytes); }))
        return true;
    if (!bytes.empty() && isChannelStatus(bytes[0]) && m_channels[bytes[0] & 0x0F])
        return true;
    return m_sources.contains(sourceName);
}

bool TrafficSelection::keeps(const CapturedMessage &message, const QString &sourceName) const
{
    if (hidden.names(message, sourceName))
        return false;
    return std::ranges::all_of(
        only, [&](const TrafficWords &words) { return words.names(message, sourceName); });
}
