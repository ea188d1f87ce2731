#include "SendWords.h"

#include <algorithm>
#include <optional>

namespace SendWords {
namespace {

    enum class Shape : std::uint8_t {
        Channel, // ch N: the channel of the words after it
        ChannelMessage, // status with the channel, then its data bytes
        Bend, // one number of 14 bits, least significant 7 first
        Single, // a status byte alone
        SysEx, // data bytes between F0 and F7
        Raw, // any bytes
    };

    struct Word
    {
        const char *name;
        Shape shape;
        std::uint8_t status;
        int numbers; // how many follow; -1: as many as follow before the next word
        const char *takes; // what the numbers are, for a refusal
    };

    constexpr Word Words[] = {
        {"ch", Shape::Channel, 0, 1, "a channel, 1 to 16"},
        {"on", Shape::ChannelMessage, 0x90, 2, "a note and a velocity, 0 to 127"},
        {"off", Shape::ChannelMessage, 0x80, 2, "a note and a velocity, 0 to 127"},
        {"pp", Shape::ChannelMessage, 0xA0, 2, "a note and a pressure, 0 to 127"},
        {"cc", Shape::ChannelMessage, 0xB0, 2, "a controller and a value, 0 to 127"},
        {"pc", Shape::ChannelMessage, 0xC0, 1, "a program, 0 to 127"},
        {"cp", Shape::ChannelMessage, 0xD0, 1, "a pressure, 0 to 127"},
        {"pb", Shape::Bend, 0xE0, 1, "a value, 0 to 16383 (8192 is the centre)"},
        {"clock", Shape::Single, 0xF8, 0, "nothing"},
        {"start", Shape::Single, 0xFA, 0, "nothing"},
        {"stop", Shape::Single, 0xFC, 0, "nothing"},
        {"syx", Shape::SysEx, 0xF0, -1, "data bytes, 0 to 127, without F0 and F7"},
        {"raw", Shape::Raw, 0, -1, "bytes, 0 to 255"},
    };

    const Word *wordNamed(const QString &text)
    {
        const auto found = std::ranges::find_if(
            Words, [&](const Word &word) { return text == QLatin1String(word.name); });
        return found == std::end(Words) ? nullptr : found;
    }

    std::optional<int> number(const QString &text)
    {
        bool ok = false;
        int value = -1;
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            value = text.mid(2).toInt(&ok, 16);
        else if (text.endsWith(QLatin1Char('H'), Qt::CaseInsensitive))
            value = text.chopped(1).toInt(&ok, 16);
        else
            value = text.toInt(&ok, 10);
        return ok && value >= 0 ? std::optional(value) : std::nullopt;
    }

    int largest(const Word &word)
    {
        switch (word.shape) {
        case Shape::Channel:
            return 16;
        case Shape::Bend:
            return 16383;
        case Shape::Raw:
            return 255;
        default:
            return 127;
        }
    }

    // The bytes of one word and its numbers, already checked.
    QByteArray bytesOf(const Word &word, const std::vector<int> &values, int channel)
    {
        QByteArray bytes;
        switch (word.shape) {
        case Shape::ChannelMessage:
        case Shape::Bend:
            bytes += char(word.status | (channel - 1));
            break;
        case Shape::Single:
        case Shape::SysEx:
            bytes += char(word.status);
            break;
        default:
            break;
        }
        if (word.shape == Shape::Bend)
            return bytes + char(values[0] & 0x7F) + char(values[0] >> 7);
        for (const int value : values)
            bytes += char(value);
        return word.shape == Shape::SysEx ? bytes + char(0xF7) : bytes;
    }

    // The numbers after the word at `at`, up to the next word; a refusal when one is not a
    // number the word takes.
    std::vector<int> numbersAfter(
        const QStringList &arguments, qsizetype &at, const Word &word, QString &refusal)
    {
        std::vector<int> values;
        const QString typed = arguments[at++];
        while (at < arguments.size() && !wordNamed(arguments[at])
            && (word.numbers < 0 || int(values.size()) < word.numbers)) {
            const std::optional<int> value = number(arguments[at]);
            if (!value || *value > largest(word) || (word.shape == Shape::Channel && *value < 1)) {
                refusal = QStringLiteral("'%1' is out of place after '%2': it takes %3.")
                              .arg(arguments[at], typed, QLatin1String(word.takes));
                return {};
            }
            values.push_back(*value);
            ++at;
        }
        const bool enough = word.numbers < 0 ? !values.empty() : int(values.size()) == word.numbers;
        if (!enough)
            refusal = QStringLiteral("'%1' takes %2.").arg(typed, QLatin1String(word.takes));
        return values;
    }

} // namespace

Read read(const QStringList &arguments)
{
    Read read;
    int channel = 1;
    for (qsizetype at = 0; at < arguments.size() && read.refusal.isEmpty();) {
        const Word *word = wordNamed(arguments[at]);
        if (!word) {
            read.refusal = QStringLiteral("'%1' is no word of send: %2, or hex bytes alone.")
                               .arg(arguments[at], names().join(QStringLiteral(", ")));
            break;
        }
        const qsizetype first = at;
        const std::vector<int> values = numbersAfter(arguments, at, *word, read.refusal);
        if (!read.refusal.isEmpty())
            break;
        if (word->shape == Shape::Channel) {
            channel = values.front();
            continue;
        }
        read.messages.push_back(bytesOf(*word, values, channel));
        read.typed << arguments.mid(first, at - first).join(QLatin1Char(' '));
    }
    return read;
}

bool areWords(const QStringList &arguments)
{
    return !arguments.isEmpty() && wordNamed(arguments.front());
}

QStringList names()
{
    QStringList list;
    for (const Word &word : Words)
        list << QLatin1String(word.name);
    return list;
}

} // namespace SendWords
