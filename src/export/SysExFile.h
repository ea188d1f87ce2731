#pragma once

#include "ExportFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

class QIODevice;
class RowStore;

// System Exclusive messages as a file of raw bytes: each message F0 ... F7 exactly as it
// crossed the wire, back to back, nothing between them.
namespace SysExFile {

// The rows a save takes: every received SysEx row when no row is selected, else those of the
// selected rows that hold a SysEx, sent ones included. `selectedRows` is sorted; indexes past
// the last row are passed over.
std::vector<std::size_t> rowsToSave(
    const RowStore &rows, std::span<const std::size_t> selectedRows);

struct Counts
{
    std::size_t messages = 0;
    std::size_t withoutEox = 0; // cut short by another status: written as they arrived
};

// Writes the SysEx of each of the rows (others are passed over); nothing when the device
// refused a write (its errorString() says why).
std::optional<Counts> write(
    const RowStore &rows, std::span<const std::size_t> rowIndexes, QIODevice &out);

// Writes the file whole or not at all; see SafeFile::saveWhole.
ExportFile::Saved<Counts> save(
    const RowStore &rows, std::span<const std::size_t> rowIndexes, const QString &path);

// "Saved 12 SysEx messages (1 without F7) to /path/dump.syx"
QString savedSentence(const Counts &counts, const QString &path);
// Said instead of asking for a file name when rowsToSave() found nothing.
QString nothingToSaveSentence(bool rowsSelected);

struct ReadResult
{
    std::vector<QByteArray> messages; // each from F0 to F7
    QString reason; // why the file was refused, when it was

    explicit operator bool() const { return reason.isEmpty(); }
};

// Takes a file only if it is wholly a sequence of complete messages, each F0, data bytes
// (00 to 7F), F7; otherwise nothing of it, with a reason naming the first byte at fault.
ReadResult parse(QByteArrayView bytes);
// The largest file a send takes: dumps beyond it are no device's.
constexpr qint64 LargestFile = qint64(256) << 20;

// Reads the file and parses it; a file that cannot be read, that is no regular file or that
// is larger than LargestFile is refused with the reason.
ReadResult load(const QString &path);

} // namespace SysExFile
