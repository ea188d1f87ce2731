#include "modSendMessage.h"

#include "main/DialogService.h"
#include "monitor/modFormat.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortError.h"

#include <QComboBox>

namespace modSendMessage {
namespace {

    constexpr char EndOfSysEx = char(0xF7);

    std::string dataByteText(const ParsedMessage &message, qsizetype index)
    {
        if (message.isSysEx() || index >= message.bytes.size())
            return {};
        return modFormat::HexByte(std::uint8_t(message.bytes[index]));
    }

    // Writes only the members the message fills.
    void handOver(MIDIOutput &output, const ParsedMessage &message)
    {
        output.setMessageStatus(message.status);
        if (message.isSysEx()) {
            output.setMessageSysEx(message.bytes);
        } else {
            if (message.bytes.size() >= 1)
                output.setMessageData1(std::uint8_t(message.bytes[0]));
            if (message.bytes.size() >= 2)
                output.setMessageData2(std::uint8_t(message.bytes[1]));
        }
        output.setCommand(CommandSend);
    }

    std::string fail(const SendContext &context)
    {
        context.dialogs.showMessage(FailureText);
        context.stopRepeating();
        return failureRow();
    }

} // namespace

std::string sentRow(const ParsedMessage &message)
{
    std::string row = "Sent\t" + modFormat::HexByte(message.status) + '\t'
        + dataByteText(message, 0) + '\t' + dataByteText(message, 1) + "\t\t\t";
    if (message.isSysEx())
        row += modFormat::HexBytes(message.bytes);
    return row;
}

std::string failureRow()
{
    return "Send Err\t\t\t\t\t\t";
}

QString historyText(const ParsedMessage &message)
{
    const std::string text = message.isSysEx() ? modFormat::HexBytes(message.bytes)
                                               : modFormat::HexByte(message.status) + ' '
            + dataByteText(message, 0) + ' ' + dataByteText(message, 1);
    return QString::fromLatin1(text).toUpper();
}

std::string SendMIDIMessage(const QString &text, const SendContext &context)
{
    ParseResult parsed = parseMessage(text);
    if (!parsed)
        return fail(context);
    ParsedMessage &message = *parsed.message;
    try {
        if (message.lacksEox()) {
            context.dialogs.showMessage(AppendingEoxText);
            message.bytes += EndOfSysEx;
        }
        handOver(context.output, message);
    } catch (const PortError &) {
        return fail(context);
    }
    AddToHistory(context.history, historyText(message));
    return sentRow(message);
}

void AddToHistory(QComboBox &history, const QString &text)
{
    // The oldest goes before duplicates are looked for, so a full list can end with ten.
    if (history.count() > HistoryLimit - 1)
        history.removeItem(history.count() - 1);
    for (int i = history.count() - 1; i >= 0; --i)
        if (history.itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            history.removeItem(i);
    history.insertItem(0, text);
    history.setCurrentIndex(0); // the box shows the newest entry
}

} // namespace modSendMessage
