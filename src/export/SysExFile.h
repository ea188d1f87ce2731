#pragma once

#include "ExportFile.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

class QIODevice;
class CaptureStore;

// System Exclusive messages as a file of raw bytes: each message F0 ... F7 exactly as it
// crossed the wire, back to back, nothing between them. A UMP SysEx7 complete in one packet
// is written as the MIDI 1.0 SysEx it carries; one over several packets is passed over.
namespace SysExFile {

// The rows a save takes: every received SysEx row when no row is selected, else those of the
// selected rows that hold a SysEx, sent ones included. `selectedRows` is sorted; indexes past
// the last row are passed over.
std::vector<std::size_t> rowsToSave(
    const CaptureStore &rows, std::span<const std::size_t> selectedRows);

struct Counts
{
    std::size_t messages = 0;
    std::size_t withoutEox = 0; // cut short by another status: written as they arrived
};

// Writes the SysEx of each of the rows (others are passed over); nothing when the device
// refused a write (its errorString() says why).
std::optional<Counts> write(
    const CaptureStore &rows, std::span<const std::size_t> rowIndexes, QIODevice &out);

// Writes the file whole or not at all; see SafeFile::saveWhole.
ExportFile::Saved<Counts> save(
    const CaptureStore &rows, std::span<const std::size_t> rowIndexes, const QString &path);

// "Saved 12 SysEx messages (1 without F7) to /path/dump.syx"
QString savedSentence(const Counts &counts, const QString &path);
// Said instead of asking for a file name when rowsToSave() found nothing.
QString nothingToSaveSentence(bool rowsSelected);

} // namespace SysExFile
