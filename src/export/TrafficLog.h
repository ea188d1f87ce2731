#pragma once

class QIODevice;
class RowStore;

// The grid's traffic as a text log: one line per row, cells joined by single spaces,
// CR LF line ends, cells exactly as the grid holds them.
namespace TrafficLog {

enum class Rows {
    IncomingOnly, // "Save MIDI IN as Text": no SENT rows, no time stamps
    All, // "Save MIDI IN and OUT as Text": every row, led by its Timestamp cell
};

// Writes the log of `rows` to `out` in large blocks; false when the device refused a
// write (its errorString() says why).
bool write(const RowStore &rows, Rows selection, QIODevice &out);

} // namespace TrafficLog
