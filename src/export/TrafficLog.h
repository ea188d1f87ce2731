#pragma once

#include <QString>
#include <cstddef>

class QIODevice;
class CaptureStore;

// The grid's traffic as a text log: one line per row, cells joined by single spaces,
// CR LF line ends, cells exactly as the grid holds them. When the rows came from several
// inputs, each line begins with its source in brackets: "[Keyboard] 90 3C 40".
namespace TrafficLog {

enum class Rows {
    IncomingOnly, // "Save MIDI IN as Text": no SENT rows, no time stamps
    All, // "Save MIDI IN and OUT as Text": every row, led by its Timestamp cell
};

// Writes the log of `rows` to `out` in large blocks; false when the device refused a
// write (its errorString() says why).
bool write(const CaptureStore &rows, Rows selection, QIODevice &out);
// The same for the rows from `first` on, each line led by its source when `withSources`:
// a log written as the rows come.
bool writeRows(
    const CaptureStore &rows, std::size_t first, Rows selection, bool withSources, QIODevice &out);

// Writes the log to the file at `path`, replacing it only once the whole log is written, so
// that a failure leaves an earlier file of that name as it was, and no partial file. Returns
// the reason for a failure, or an empty text.
QString save(const CaptureStore &rows, Rows selection, const QString &path);

} // namespace TrafficLog
