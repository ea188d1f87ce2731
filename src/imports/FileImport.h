#pragma once

#include "capture/CaptureReader.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct TaskProgress;
class RecordedRows;

// Opens a file of any kind Lumetra reads into rows of its own: a capture, a Standard MIDI
// File, a .syx file, or a text or CSV log that Lumetra saved. The kind is told by the file's
// first bytes, not by its name. The rows of a file other than a capture are of a source
// named after the file.
namespace FileImport {

// The file filter of the open dialog.
QString dialogFilter();

// Reads the file at `path`: only a regular file, and one too large for the memory there is
// is refused before it is read. A refusal's reason names the path and the offset or line at
// fault; a cancelled read gives no rows and no reason.
CaptureReader::Loaded load(const QString &path, TaskProgress &progress);

// Opens a recording, one file or a set as one timeline, without reading its rows: they stay
// on disk, read back through `onDisk` as they are read, so that a recording of any size opens
// at once and takes little memory. Nothing when the files are to be read whole: no recording,
// one recorded by a version that did not list its port starts, or a set whose files count
// their stamps from other moments.
std::optional<CaptureReader::Loaded> openRecording(
    const QStringList &paths, const std::shared_ptr<RecordedRows> &onDisk, TaskProgress &progress);

// Reads a file other than a capture, already in memory, named `fileName`.
CaptureReader::Loaded read(QByteArrayView file, const QString &fileName, TaskProgress &progress);

} // namespace FileImport
