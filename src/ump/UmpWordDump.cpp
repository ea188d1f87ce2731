#include "UmpWordDump.h"

#include <QList>
#include <charconv>
#include <optional>

namespace UmpWordDump {
namespace {

    QList<QByteArrayView> tokensOf(QByteArrayView line)
    {
        QList<QByteArrayView> tokens;
        qsizetype start = -1;
        for (qsizetype index = 0; index <= line.size(); ++index) {
            const bool apart = index == line.size() || line[index] == ' ' || line[index] == '\t'
                || line[index] == ',' || line[index] == '\r';
            if (apart && start >= 0)
                tokens.append(line.sliced(start, index - start));
            if (apart)
                start = -1;
            else if (start < 0)
                start = index;
        }
        return tokens;
    }

    std::optional<std::uint32_t> wordOf(QByteArrayView token)
    {
        if (token.startsWith("0x") || token.startsWith("0X"))
            token = token.sliced(2);
        std::uint32_t word = 0;
        const char *end = token.data() + token.size();
        const auto [stop, error] = std::from_chars(token.data(), end, word, 16);
        if (token.size() != 8 || error != std::errc() || stop != end)
            return std::nullopt;
        return word;
    }

    QList<QByteArrayView> linesOf(QByteArrayView file)
    {
        QList<QByteArrayView> lines;
        qsizetype start = 0;
        while (start < file.size()) {
            qsizetype end = file.indexOf('\n', start);
            if (end < 0)
                end = file.size();
            lines.append(file.sliced(start, end - start));
            start = end + 1;
        }
        return lines;
    }

} // namespace

bool isWordDump(QByteArrayView file)
{
    for (QByteArrayView line : linesOf(file.first(std::min<qsizetype>(file.size(), 4096)))) {
        const QList<QByteArrayView> tokens = tokensOf(line);
        if (tokens.isEmpty())
            continue;
        return std::all_of(tokens.begin(), tokens.end(),
            [](QByteArrayView token) { return wordOf(token).has_value(); });
    }
    return false;
}

Ump::ReadEvents read(QByteArrayView file)
{
    Ump::ReadEvents result;
    std::vector<std::uint32_t> pending;
    int lineNumber = 0;
    int packetLine = 0;
    for (QByteArrayView line : linesOf(file)) {
        ++lineNumber;
        for (QByteArrayView token : tokensOf(line)) {
            const std::optional<std::uint32_t> word = wordOf(token);
            if (!word)
                return {{},
                    QStringLiteral("Line %1: \"%2\" is not a 32-bit word in hex.")
                        .arg(lineNumber)
                        .arg(
                            QString::fromUtf8(token.first(std::min<qsizetype>(token.size(), 40))))};
            if (pending.empty())
                packetLine = lineNumber;
            pending.push_back(*word);
            if (const auto packet = Ump::packetAt(pending)) {
                result.events.push_back({0, *packet});
                pending.clear();
            }
        }
    }
    if (!pending.empty())
        return {{},
            QStringLiteral("Line %1: the words end inside the %2-bit message that "
                           "begins there.")
                .arg(packetLine)
                .arg(32 * Ump::wordCountOf(pending.front()))};
    return result;
}

} // namespace UmpWordDump
