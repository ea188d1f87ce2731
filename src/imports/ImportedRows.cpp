#include "ImportedRows.h"

#include "ports/MidiMessage.h"

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

QString quoted(QByteArrayView cell)
{
    return QLatin1Char('"') + QString::fromUtf8(cell) + QLatin1Char('"');
}

} // namespace

ImportedRows::ImportedRows(CaptureStore &rows, const QString &fileName)
    : m_rows(rows)
    , m_fileName(fileName)
{ }

CaptureStore::Source ImportedRows::source(QStringView input)
{
    return m_rows.sourceNamed(
        input.isEmpty() ? m_fileName : m_fileName + QStringLiteral(": ") + input.toString());
}

void ImportedRows::append(
    CaptureStore::Source source, std::int64_t stampUs, std::span<const std::uint8_t> bytes)
{
    m_rows.append(Origin::Received, source, stampUs, bytes);
}

QString ImportedRows::appendLogged(CaptureStore::Source source, QByteArrayView stampCell,
    std::span<const QByteArrayView> byteCells, QByteArrayView microsecondsCell)
{
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
    if (stampCell.isEmpty() && m_bytes.empty())
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
