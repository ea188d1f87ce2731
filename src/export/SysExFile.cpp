#include "SysExFile.h"

#include "BlockWriter.h"
#include "capture/CaptureStore.h"
#include "midi/MidiMessage.h"

namespace SysExFile {

std::vector<std::size_t> rowsToSave(
    const CaptureStore &rows, std::span<const std::size_t> selectedRows)
{
    std::vector<std::size_t> chosen;
    if (selectedRows.empty()) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (const CapturedMessage message = rows.at(i);
                message.isSysEx() && message.origin == Origin::Received)
                chosen.push_back(i);
        return chosen;
    }
    for (const std::size_t index : selectedRows)
        if (index < rows.size() && rows.at(index).isSysEx())
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
        if (!message.isSysEx())
            continue;
        ++counts.messages;
        if (message.bytes.back() != EndOfSysEx)
            ++counts.withoutEox;
        block.append({reinterpret_cast<const char *>(message.bytes.data()), message.bytes.size()});
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
