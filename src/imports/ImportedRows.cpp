#include "ImportedRows.h"

#include "midi/MidiMessage.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

std::optional<std::uint8_t> hexByte(QByteArrayView cell)
{
    std::uint8_t byte = 0;
    const char *end = cell.data() + cell.size();
    const auto [stop, error] = std::from_chars(cell.data(), end, byte, 16);
    if (cell.size() != 2 || error != std::errc() || stop != end)
        return std::nullopt;
    return byte;
}

template<typename Integer>
std::optional<Integer> decimal(QByteArrayView cell)
{
    Integer value = 0;
    const char *end = cell.data() + cell.size();
    const auto [stop, error] = std::from_chars(cell.data(), end, value);
    if (cell.isEmpty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

constexpr std::int64_t LargestStamp = (std::int64_t(1) << 47) - 1;

// A cell quoted back to the user is cut to this many characters: a junk line can be a
// gigabyte long, and a text that size holds the message box in its layout for minutes.
constexpr qsizetype QuotedLength = 80;

QString quoted(QByteArrayView cell)
{
    // A character takes at most four bytes of UTF-8: no more than that need decoding.
    constexpr qsizetype decoded = 4 * (QuotedLength + 1);
    QString text = QString::fromUtf8(cell.first(std::min(cell.size(), decoded)));
    if (text.size() > QuotedLength) {
        text.truncate(QuotedLength - (text[QuotedLength - 1].isHighSurrogate() ? 1 : 0));
        text += QChar(0x2026);
    }
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A row of UMP words ("40903C00 FFFF0000") where a row of MIDI 1.0 has bytes: its first
// filled cell is a word's eight digits.
bool holdsWords(std::span<const QByteArrayView> cells)
{
    const auto filled
        = std::ranges::find_if(cells, [](QByteArrayView cell) { return !cell.isEmpty(); });
    return filled != cells.end() && filled->size() == 8;
}

// The packet the words of a row make, or why they make none.
QString packetOf(std::span<const QByteArrayView> cells, Ump::Packet &packet)
{
    packet.size = 0;
    for (const QByteArrayView cell : cells) {
        if (cell.isEmpty())
            continue;
        std::uint32_t word = 0;
        const char *end = cell.data() + cell.size();
        const auto [stop, error] = std::from_chars(cell.data(), end, word, 16);
        if (cell.size() != 8 || error != std::errc() || stop != end)
            return quoted(cell) + QStringLiteral(" is not a 32-bit word in hex.");
        if (packet.size == packet.words.size())
            return QStringLiteral("a UMP message holds more than four words.");
        packet.words[packet.size++] = word;
    }
    if (packet.size != Ump::wordCountOf(packet.words[0]))
        return QStringLiteral("a UMP message of %1 words is of a type that takes %2.")
            .arg(packet.size)
            .arg(Ump::wordCountOf(packet.words[0]));
    return {};
}

} // namespace

ImportedRows::ImportedRows(CaptureStore &rows, const QString &fileName)
    : m_rows(rows)
    , m_fileName(fileName)
{ }

CaptureStore::Source ImportedRows::fileSource()
{
    return m_rows.sourceNamed(m_fileName).value();
}

QString ImportedRows::sourceOf(QByteArrayView input, CaptureStore::Source &source)
{
    // Measured before it is decoded: the name may be a whole junk file long.
    const qsizetype nameBytes = m_fileName.toUtf8().size() + 2 + input.size();
    if (nameBytes > CaptureStore::LongestSourceName)
        return QStringLiteral("its source's name is longer than %1 bytes.")
            .arg(CaptureStore::LongestSourceName);
    const std::optional<CaptureStore::Source> named = m_rows.sourceNamed(input.isEmpty()
            ? m_fileName
            : m_fileName + QStringLiteral(": ") + QString::fromUtf8(input));
    if (!named)
        return QStringLiteral("it names more than %1 sources.").arg(CaptureStore::MaxSources);
    source = *named;
    return {};
}

void ImportedRows::append(
    CaptureStore::Source source, std::int64_t stampUs, std::span<const std::uint8_t> bytes)
{
    m_rows.append(Origin::Received, source, stampUs, bytes);
}

QString ImportedRows::appendLogged(QByteArrayView input, QByteArrayView stampCell,
    std::span<const QByteArrayView> byteCells, QByteArrayView microsecondsCell)
{
    CaptureStore::Source source = 0;
    if (const QString reason = sourceOf(input, source); !reason.isEmpty())
        return reason;
    Origin origin = Origin::Received;
    const std::optional<std::int32_t> ms = decimal<std::int32_t>(stampCell);
    if (stampCell == "SENT") {
        origin = Origin::Sent;
    } else if (stampCell == "SEND ERR") {
        origin = Origin::SendFailed;
    } else if (ms) {
        m_lastStampUs = std::int64_t(*ms) * 1000;
    } else if (!stampCell.isEmpty()) {
        return quoted(stampCell) + QStringLiteral(" is no time stamp.");
    }
    if (!microsecondsCell.isEmpty()) {
        const std::optional<std::int64_t> stampUs = decimal<std::int64_t>(microsecondsCell);
        if (!stampUs || *stampUs < -LargestStamp - 1 || *stampUs > LargestStamp)
            return quoted(microsecondsCell) + QStringLiteral(" is no stamp in microseconds.");
        m_lastStampUs = *stampUs;
        if (ms)
            keepCell(source, *stampUs, *ms);
    }
    if (origin == Origin::Received && holdsWords(byteCells)) {
        Ump::Packet packet;
        if (const QString reason = packetOf(byteCells, packet); !reason.isEmpty())
            return reason;
        appendUmp(source, m_lastStampUs, packet);
        return {};
    }
    return appendLoggedBytes(source, origin, stampCell.isEmpty(), byteCells);
}

QString ImportedRows::appendLoggedBytes(CaptureStore::Source source, Origin origin,
    bool withoutStamp, std::span<const QByteArrayView> byteCells)
{
    m_bytes.clear();
    for (const QByteArrayView cell : byteCells) {
        if (cell.isEmpty())
            continue;
        const std::optional<std::uint8_t> byte = hexByte(cell);
        if (!byte)
            return quoted(cell) + QStringLiteral(" is not a byte in hex.");
        m_bytes.push_back(*byte);
    }
    // A log without stamps gives a failed send as a line of empty cells.
    if (withoutStamp && m_bytes.empty())
        origin = Origin::SendFailed;
    if (m_bytes.empty() != (origin == Origin::SendFailed))
        return origin == Origin::SendFailed ? QStringLiteral("a failed send holds bytes.")
                                            : QStringLiteral("a row holds no bytes.");
    if (m_bytes.size() > 3 && m_bytes.front() != SysExStatus)
        return QStringLiteral("a message other than SysEx holds %1 bytes.").arg(m_bytes.size());
    m_rows.append(origin, source, m_lastStampUs, m_bytes);
    return {};
}

void ImportedRows::keepCell(CaptureStore::Source source, std::int64_t stampUs, std::int32_t ms)
{
    const std::span<const CaptureStore::PortStart> starts = m_rows.portStarts(source);
    const std::int64_t startUs = starts.empty() ? 0 : starts.back().startUs;
    // As CaptureStore::portMs() reads it: 32 bits of milliseconds.
    if (std::int32_t(std::uint32_t((stampUs - startUs) / 1000)) != ms)
        m_rows.startPort(source, stampUs - std::int64_t(ms) * 1000);
}
