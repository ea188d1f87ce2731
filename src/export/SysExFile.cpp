#include "SysExFile.h"

#include "BlockWriter.h"
#include "capture/CaptureStore.h"
#include "midi/Midi1FromUmp.h"
#include "midi/MidiMessage.h"

namespace SysExFile {
namespace {

    // The SysEx a row holds, F0 to F7 (or cut short as it arrived); empty for none. A UMP
    // SysEx7 holds one only when it is complete in its one packet: a row of a SysEx7 over
    // several packets holds a piece of one.
    QByteArray sysExOf(const CapturedMessage &message)
    {
        if (message.isSysEx())
            return QByteArray::fromRawData(reinterpret_cast<const char *>(message.bytes.data()),
                qsizetype(message.bytes.size()));
        const Ump::Packet packet = message.umpPacket();
        if (!message.isUmp() || packet.type() != Ump::MessageType::Data64 || packet.bits(0, 23, 20))
            return {};
        const Midi1FromUmp::Translated complete = Midi1FromUmp().take(packet);
        return complete.messages.size() == 1 ? complete.messages.front() : QByteArray();
    }

} // namespace

std::vector<std::size_t> rowsToSave(
    const CaptureStore &rows, std::span<const std::size_t> selectedRows)
{
    std::vector<std::size_t> chosen;
    if (selectedRows.empty()) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (const CapturedMessage message = rows.at(i);
                message.origin == Origin::Received && !sysExOf(message).isEmpty())
                chosen.push_back(i);
        return chosen;
    }
    for (const std::size_t index : selectedRows)
        if (index < rows.size() && !sysExOf(rows.at(index)).isEmpty())
            chosen.push_back(index);
    return chosen;
}

std::optional<Counts> write(
    const CaptureStore &rows, std::span<const std::size_t> rowIndexes, QIODevice &out)
{
    BlockWriter block(out);
    Counts counts;
    for (const std::size_t index : rowIndexes) {
        const CapturedMessage message = rows.at(index);
        const QByteArray sysEx = sysExOf(message);
        if (sysEx.isEmpty())
            continue;
        ++counts.messages;
        if (std::uint8_t(sysEx.back()) != EndOfSysEx)
            ++counts.withoutEox;
        block.append({sysEx.constData(), std::size_t(sysEx.size())});
        if (!block.flushWhenFull())
            return std::nullopt;
    }
    if (!block.flush())
        return std::nullopt;
    return counts;
}

ExportFile::Saved<Counts> save(
    const CaptureStore &rows, std::span<const std::size_t> rowIndexes, const QString &path)
{
    return ExportFile::saveCounting<Counts>(
        path, [&](QIODevice &out) { return write(rows, rowIndexes, out); });
}

QString savedSentence(const Counts &counts, const QString &path)
{
    const QString withoutEox = counts.withoutEox == 0
        ? QString()
        : QStringLiteral(" (%1 without F7)").arg(counts.withoutEox);
    return QStringLiteral("Saved %1%2 to %3")
        .arg(ExportFile::countOf(counts.messages, QStringLiteral("SysEx message"),
                 QStringLiteral("SysEx messages")),
            withoutEox, path);
}

QString nothingToSaveSentence(bool rowsSelected)
{
    return rowsSelected ? QStringLiteral("The selected rows hold no SysEx message to save.")
                        : QStringLiteral("No SysEx message has been received to save.");
}

} // namespace SysExFile
