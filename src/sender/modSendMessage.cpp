#include "modSendMessage.h"

#include "frame/DialogService.h"
#include "monitor/modFormat.h"
#include "ports/MIDIOutput.h"
#include "ports/MidiMessage.h"
#include "ports/PortError.h"

namespace modSendMessage {
namespace {

    std::string dataByteText(const ParsedMessage &message, qsizetype index)
    {
        if (message.isSysEx() || index >= message.bytes.size())
            return {};
        return modFormat::HexByte(std::uint8_t(message.bytes[index]));
    }

    QByteArray wireBytes(const ParsedMessage &message)
    {
        return message.isSysEx() ? message.bytes : char(message.status) + message.bytes;
    }

    SentMessage fail(const SendContext &context, const QString &text = FailureText)
    {
        context.dialogs.showMessage(text);
        context.stopRepeating();
        return {};
    }

} // namespace

QString historyText(const ParsedMessage &message)
{
    const std::string text = message.isSysEx() ? modFormat::HexBytes(message.bytes)
                                               : modFormat::HexByte(message.status) + ' '
            + dataByteText(message, 0) + ' ' + dataByteText(message, 1);
    return QString::fromLatin1(text).toUpper();
}

SentMessage SendMIDIMessage(const QString &text, const SendContext &context)
{
    ParseResult parsed = parseMessage(text);
    if (!parsed)
        return fail(context);
    ParsedMessage &message = *parsed.message;
    try {
        if (message.lacksEox()) {
            context.dialogs.showMessage(AppendingEoxText);
            message.bytes += char(EndOfSysEx);
        }
        const QByteArray wire = wireBytes(message);
        sendMessage(context.output,
            {reinterpret_cast<const std::uint8_t *>(wire.constData()), std::size_t(wire.size())});
    } catch (const PortError &error) {
        // The port's own reason: a device that has gone is no malformed message.
        return fail(context, error.description());
    }
    AddToHistory(context.history, historyText(message));
    return {Origin::Sent, wireBytes(message)};
}

void AddToHistory(QStringList &history, const QString &text)
{
    // The oldest goes before duplicates are looked for, so a full list can end with ten.
    if (history.size() > HistoryLimit - 1)
        history.removeLast();
    history.removeIf(
        [&](const QString &entry) { return entry.compare(text, Qt::CaseInsensitive) == 0; });
    history.prepend(text);
}

} // namespace modSendMessage
