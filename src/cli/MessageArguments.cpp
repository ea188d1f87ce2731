#include "MessageArguments.h"

#include "midi/Hex.h"
#include "midi/MessageAssembler.h"
#include "midi/MidiMessage.h"
#include "sender/MessageParser.h"
#include "sender/modSendMessage.h"

namespace MessageArguments {
namespace {

    std::span<const std::uint8_t> asBytes(const QByteArray &bytes)
    {
        return {
            reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
    }

    QString hexText(const QByteArray &bytes)
    {
        std::string text;
        Hex::appendBytes(text, asBytes(bytes), Hex::Case::Upper);
        return QString::fromLatin1(text).trimmed();
    }

    // Each argument's bytes as typed, or the first that cannot be read.
    std::vector<QByteArray> typedBytes(const QStringList &arguments, QString &refusal)
    {
        std::vector<QByteArray> typed;
        for (const QString &text : arguments) {
            const ParseResult parsed = parseMessage(text);
            if (!parsed) {
                refusal = QStringLiteral("'%1': %2").arg(text, parsed.reason);
                return {};
            }
            typed.push_back(parsed.message->wireBytes());
        }
        return typed;
    }

    // The bytes are fed one at a time, all at one moment so that nothing is held as stale:
    // the messages delivered and the one left open tell how many began at each byte.
    QString assemble(const QStringList &arguments, const std::vector<QByteArray> &typed,
        bool severalPerArgument, std::vector<QByteArray> &messages)
    {
        MessageAssembler assembler;
        const auto moment = MessageAssembler::Clock::now();
        int delivered = 0;
        const MessageAssembler::Deliver deliver
            = [&](std::span<const std::uint8_t> message, MessageAssembler::Clock::time_point) {
                  messages.emplace_back(
                      reinterpret_cast<const char *>(message.data()), qsizetype(message.size()));
                  ++delivered;
              };
        for (std::size_t argument = 0; argument < typed.size(); ++argument) {
            const QByteArray &bytes = typed[argument];
            int begun = 0;
            for (qsizetype at = 0; at < bytes.size(); ++at) {
                const bool wasOpen = assembler.isOpen();
                delivered = 0;
                assembler.feed(asBytes(bytes).subspan(std::size_t(at), 1), moment, deliver);
                begun += delivered + int(assembler.isOpen()) - int(wasOpen);
                if (begun > 1 && !severalPerArgument)
                    return QStringLiteral("'%1' holds more than one message: %2 is another. "
                                          "Give each message its own argument, or use "
                                          "'--several'.")
                        .arg(arguments[qsizetype(argument)], hexText(bytes.mid(at)));
            }
        }
        assembler.flush(deliver);
        return {};
    }

    // Why a message the stream gave is no whole message; empty when it is one.
    QString wholeness(const QByteArray &message)
    {
        const auto status = std::uint8_t(message.front());
        if (isWholeMessage(asBytes(message)))
            return {};
        if (!isStatusByte(status))
            return QStringLiteral("%1 is a data byte with no status byte before it.")
                .arg(hexText(message));
        if (status == EndOfSysEx)
            return QStringLiteral("F7 ends a SysEx, and none was begun.");
        return QStringLiteral("%1 is short of data bytes: a message of status %2 has %3 bytes.")
            .arg(hexText(message), hexText(message.first(1)))
            .arg(messageLength(status));
    }

} // namespace

Read read(const QStringList &arguments, bool severalPerArgument)
{
    QString refusal;
    const std::vector<QByteArray> typed = typedBytes(arguments, refusal);
    if (!refusal.isEmpty())
        return {{}, {}, refusal};
    return readBytes(arguments, typed, severalPerArgument);
}

Read readBytes(
    const QStringList &arguments, const std::vector<QByteArray> &typed, bool severalPerArgument)
{
    Read read;
    read.refusal = assemble(arguments, typed, severalPerArgument, read.messages);
    for (QByteArray &message : read.messages) {
        if (!read.refusal.isEmpty())
            break;
        if (std::uint8_t(message.front()) == SysExStatus
            && std::uint8_t(message.back()) != EndOfSysEx) {
            message += char(EndOfSysEx);
            read.notices << modSendMessage::AppendingEoxText + QStringLiteral(": ")
                    + hexText(message);
        }
        read.refusal = wholeness(message);
    }
    return read;
}

} // namespace MessageArguments
