#pragma once

#include <QString>
#include <cstddef>
#include <functional>

class QIODevice;
class CaptureStore;

// The grid as comma-separated values for a spreadsheet: a header line, then one line per
// row with its seven cells as the grid holds them, CR LF line ends, UTF-8. A field holding a
// comma, a quote, CR or LF is quoted, its quotes doubled.
namespace CsvLog {

// The text of a column the grid does not store, for a row given by its index in the store.
using ColumnText = std::function<QString(std::size_t row)>;

// The two columns after the seven cells.
struct ExtraColumns
{
    ColumnText timeOfDay; // "Time of Day"
    ColumnText details; // "Details"
};

// Writes in large blocks; false when the device refused a write (its errorString() says why).
bool write(const CaptureStore &rows, const ExtraColumns &extra, QIODevice &out);

// Writes the file whole or not at all; see SafeFile::saveWhole.
QString save(const CaptureStore &rows, const ExtraColumns &extra, const QString &path);

} // namespace CsvLog
