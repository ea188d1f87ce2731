#include "Require.h"
#include "capture/CaptureStore.h"
#include "rows/RowCells.h"
#include "sender/MessageParser.h"
#include "sender/modSendMessage.h"

#include <algorithm>
#include <cstdint>

namespace {

// The text a parsed message would be typed as.
QString retyped(const ParsedMessage &message)
{
    QString text = QStringLiteral("%1").arg(message.status, 2, 16, QLatin1Char('0'));
    for (qsizetype i = message.isSysEx() ? 1 : 0; i < message.bytes.size(); ++i)
        text += QStringLiteral(" %1").arg(std::uint8_t(message.bytes[i]), 2, 16, QLatin1Char('0'));
    return text;
}

} // namespace

// Any text: the parser answers with a message or a reason, and what it accepts it reads
// back the same when typed again; the row and history texts stay on one line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const ParseResult parsed = parseMessage(text);
    if (!parsed) {
        require(!parsed.reason.isEmpty());
        return 0;
    }
    const ParsedMessage &message = *parsed.message;
    require(
        !message.isSysEx() || (!message.bytes.isEmpty() && std::uint8_t(message.bytes[0]) == 0xF0));
    const ParseResult again = parseMessage(retyped(message));
    require(
        again && again.message->status == message.status && again.message->bytes == message.bytes);

    CaptureStore sent;
    const QByteArray wire
        = message.isSysEx() ? message.bytes : char(message.status) + message.bytes;
    sent.append(Origin::Sent, 0, 0, wire);
    const std::string row = RowCells::row(sent, 0);
    require(row.find('\n') == std::string::npos && row.rfind("SENT\t", 0) == 0);
    require(std::count(row.begin(), row.end(), '\t') == 6);
    require(!modSendMessage::historyText(message).contains(QLatin1Char('\n')));
    return 0;
}
