#include "modSendMessage.h"

#include "decode/modFormat.h"
#include "frame/DialogService.h"
#include "midi/MidiMessage.h"
#include "ports/MIDIOutput.h"
#include "ports/PortError.h"

namespace modSendMessage {
namespace {

    std::string dataByteText(const ParsedMessage &message, qsizetype index)
    {
        if (message.isSysEx() || index >= message.bytes.size())
            return {};
        return modFormat::HexByte(std::uint8_t(message.bytes[index]));
    }

    // A text that did not parse gave no bytes; a port that refused them keeps them in the
    // record, so that the user sees what failed to go out.
    SentMessage fail(
        const SendContext &context, const QString &text = FailureText, QByteArray bytes = {})
    {
        context.dialogs.showMessage(text);
        context.stopRepeating();
        return {Origin::SendFailed, std::move(bytes)};
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
        const QByteArray wire = message.wireBytes();
        sendMessage(context.output,
            {reinterpret_cast<const std::uint8_t *>(wire.constData()), std::size_t(wire.size())});
    } catch (const PortError &error) {
        // The port's own reason: a device that has gone is no malformed message.
        return fail(context, error.description(), sentBytes(context.output));
    }
    AddToHistory(context.history, historyText(message));
    return {Origin::Sent, sentBytes(context.output)};
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
