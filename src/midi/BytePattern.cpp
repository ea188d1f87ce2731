#include "BytePattern.h"

#include "Hex.h"

#include <QList>
#include <QStringList>
#include <algorithm>

std::optional<BytePattern> BytePattern::parse(QStringView text, QString &reason)
{
    BytePattern pattern;
    for (const QStringView word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (word == u"..") {
            pattern.m_bytes.push_back(AnyByte);
            continue;
        }
        if (word.size() != 2 || Hex::digitValue(word[0].unicode()) < 0
            || Hex::digitValue(word[1].unicode()) < 0) {
            reason = QStringLiteral("\"%1\" is neither a byte in two hex digits nor \"..\".")
                         .arg(word.toString());
            return std::nullopt;
        }
        pattern.m_bytes.push_back(std::int16_t(
            Hex::digitValue(word[0].unicode()) * 16 + Hex::digitValue(word[1].unicode())));
    }
    // Every message begins with its status: a pattern that does not would match none, or all.
    if (pattern.m_bytes.empty() || pattern.m_bytes.front() < 0x80) {
        reason = QStringLiteral("\"%1\" does not begin with a status byte (80 to FF).")
                     .arg(text.trimmed().toString());
        return std::nullopt;
    }
    return pattern;
}

std::optional<std::vector<BytePattern>> BytePattern::parseList(QStringView text, QString &reason)
{
    std::vector<BytePattern> patterns;
    if (text.trimmed().isEmpty())
        return patterns;
    for (const QStringView part : text.split(u',')) {
        std::optional<BytePattern> pattern = parse(part, reason);
        if (!pattern)
            return std::nullopt;
        patterns.push_back(std::move(*pattern));
    }
    return patterns;
}

QString BytePattern::listText(std::span<const BytePattern> patterns)
{
    QStringList texts;
    for (const BytePattern &pattern : patterns)
        texts << pattern.text();
    return texts.join(QStringLiteral(", "));
}

bool BytePattern::matches(std::span<const std::uint8_t> message) const
{
    if (message.size() < m_bytes.size())
        return false;
    return std::equal(m_bytes.begin(), m_bytes.end(), message.begin(),
        [](std::int16_t wanted, std::uint8_t byte) { return wanted == AnyByte || wanted == byte; });
}

QString BytePattern::text() const
{
    QStringList words;
    for (const std::int16_t byte : m_bytes)
        words << (byte == AnyByte ? QStringLiteral("..")
                                  : QString::fromStdString(Hex::byteText(std::uint8_t(byte))));
    return words.join(u' ');
}

bool anyMatches(std::span<const BytePattern> patterns, std::span<const std::uint8_t> message)
{
    return std::ranges::any_of(
        patterns, [message](const BytePattern &pattern) { return pattern.matches(message); });
}
