#include "MessageParser.h"

#include "midi/Hex.h"

namespace {

// Two hex digits at `at`, or -1.
int hexPair(QStringView text, qsizetype at)
{
    if (at + 1 >= text.size())
        return -1;
    const int high = Hex::digitValue(text[at].unicode());
    const int low = Hex::digitValue(text[at + 1].unicode());
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

QStringView trimSpaces(QStringView text)
{
    // Only the space character: tabs and line breaks make a text invalid wherever they stand.
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

ParseResult refuse(QString reason)
{
    return {std::nullopt, std::move(reason)};
}

} // namespace

ParseResult parseMessage(QStringView text)
{
    const QStringView message = trimSpaces(text);
    if (message.isEmpty())
        return refuse(QStringLiteral("The message is empty."));
    if (message.size() > LongestMessageText)
        return refuse(
            QStringLiteral("The message is longer than %1 characters.").arg(LongestMessageText));

    // A lone digit is a status by itself ("8" is 08). A digit followed by anything else is
    // refused rather than guessed at: "9  3C" may as well be a mistyped "90 3C".
    const int status
        = message.size() == 1 ? Hex::digitValue(message[0].unicode()) : hexPair(message, 0);
    if (status < 0)
        return refuse(QStringLiteral("The status must be two hex digits."));

    ParsedMessage parsed;
    parsed.status = std::uint8_t(status);
    if (parsed.isSysEx())
        parsed.bytes += char(SysExStatus);
    for (qsizetype at = 2; at < message.size(); at += 3) {
        if (message[at] != u' ')
            return refuse(QStringLiteral("Expected a single space at position %1.").arg(at + 1));
        const int data = hexPair(message, at + 1);
        if (data < 0)
            return refuse(QStringLiteral("Expected two hex digits at position %1.").arg(at + 2));
        parsed.bytes += char(data);
    }
    return {std::move(parsed), {}};
}
