#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class CaptureStore;
class ChunkBuffer;
class QIODevice;
struct TaskProgress;

// Writes a capture whole, every record as it is stored, in the format of
// docs/capture-format.md. Runs on whatever thread calls it; the store must not change
// meanwhile.
namespace CaptureWriter {

// The 12 bytes a capture file begins with.
QByteArray header(std::uint16_t flags);
// The info chunk of `rows`: its clock and sources, and the counts a whole file declares; a
// recording declares none.
void putInfo(ChunkBuffer &chunk, const CaptureStore &rows, bool declareCounts);

// False when the device refused a write (its errorString() says why) or the task was
// cancelled. `progress.done` counts the rows written.
bool write(const CaptureStore &rows, QIODevice &out, TaskProgress &progress);

// Replaces the file at `path` only once everything is in it: a failure or a cancel leaves
// no part of a file. Returns the reason of a failure, or an empty text (also when cancelled).
QString save(const CaptureStore &rows, const QString &path, TaskProgress &progress);

} // namespace CaptureWriter
