#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Bytes of a message as a person writes a pattern of them: "F0 43 30 7F 1C ..", a status
// byte first, then two hex digits a byte or ".." for any one byte. A pattern matches every
// message that begins with its bytes: "FE" is Active Sensing, and "F0 43 30 7F 1C" a
// device's SysEx heartbeat, however long each beat is.
class BytePattern
{
public:
    // The pattern of the text, or nothing and why in `reason`.
    static std::optional<BytePattern> parse(QStringView text, QString &reason);
    // Several patterns, separated by commas ("FE, F0 43 .."); an empty text is none.
    static std::optional<std::vector<BytePattern>> parseList(QStringView text, QString &reason);
    static QString listText(std::span<const BytePattern> patterns);

    bool matches(std::span<const std::uint8_t> message) const;
    // As parse() reads it back: upper-case digits, one blank between bytes.
    QString text() const;

    bool operator==(const BytePattern &) const = default;

private:
    static constexpr std::int16_t AnyByte = -1;
    std::vector<std::int16_t> m_bytes; // a byte, or AnyByte
};

// Whether any of the patterns matches the message.
bool anyMatches(std::span<const BytePattern> patterns, std::span<const std::uint8_t> message);
