#pragma once

#include "CaptureStore.h"
#include "ChunkIndex.h"

#include <QByteArrayView>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;
struct TaskProgress;

// Reads a capture file (docs/capture-format.md) into a store of its own, so that a file
// refused part-way, or a read cancelled, leaves the rows shown as they were. Nothing of a
// file is taken on trust: every chunk is checked against its checksum and against the
// file's size, every row against the counts the file declared, before it is stored.
namespace CaptureReader {

struct Loaded
{
    std::unique_ptr<CaptureStore> rows; // null when refused or cancelled
    QString reason; // why the file was refused, naming the offset at fault
    QString notice = {}; // what the user should know of rows read from a file not refused
};

// Whether the bytes begin as a capture file does.
bool isCapture(QByteArrayView start);

// Reads the whole capture from `in`; a file whose rows would need more than `memoryRoom`
// bytes of memory is refused before its rows are read. `progress` counts the bytes read.
Loaded read(QIODevice &in, qint64 memoryRoom, TaskProgress &progress);

// What opening a recording by its chunks' heads found, besides its rows.
struct RecordingIndex
{
    // False for a recording of a version that did not list its port starts, or a file that is
    // no recording: it is read whole.
    bool listsPortStarts = false;
    // Numbered as the store numbers the rows it leaves on disk, one chunk after another.
    std::vector<ChunkIndex::RowsChunk> chunks;
    std::vector<QString> sources; // the file's, in its numbers
    qint64 indexedTo = 0; // where the chunks whole end
};

// Opens a recording without reading its rows: they are appended to `rows` as rows on disk,
// numbered from `firstOnDisk`, with the port starts its chunks list. Only the heads of its
// rows chunks are read; the last chunk is checked whole, to tell a torn end. The other
// chunks' checksums are checked as their rows are read back.
Loaded indexRecording(QIODevice &in, std::unique_ptr<CaptureStore> rows, std::uint64_t firstOnDisk,
    RecordingIndex &index, TaskProgress &progress);

// Reads the one rows chunk of a recording that begins at `offset`, its sources named, in
// their numbers, by `sources`: what a store reads back the rows it let go of with.
Loaded readRecordedRows(QIODevice &in, qint64 offset, const std::vector<QString> &sources);

} // namespace CaptureReader
