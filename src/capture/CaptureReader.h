#pragma once

#include "CaptureStore.h"

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

// Reads the one rows chunk of a recording that begins at `offset`, its sources named, in
// their numbers, by `sources`: what a store reads back the rows it let go of with.
Loaded readRecordedRows(QIODevice &in, qint64 offset, const std::vector<QString> &sources);

} // namespace CaptureReader
