#pragma once

#include "monitor/MessageDetails.h"

#include <QString>

class QIODevice;
class CaptureStore;

// The grid as comma-separated values for a spreadsheet: a header line, then one line per
// row with its seven cells as the grid holds them, then "Time of Day" and "Details" as the
// view would show them whatever it shows now, and last the row's stamp in microseconds since
// the capture began (sent rows too), and "Source" when the rows came from several inputs;
// CR LF line ends, UTF-8. A field holding a comma, a quote, CR or LF is quoted, its quotes
// doubled. The new columns come last so that readers of the older ones find them where
// they were.
namespace CsvLog {

// Writes in large blocks; false when the device refused a write (its errorString() says why).
bool write(const CaptureStore &rows, MessageDetails::MiddleC middleC, QIODevice &out);

// Writes the file whole or not at all; see SafeFile::saveWhole.
QString save(const CaptureStore &rows, MessageDetails::MiddleC middleC, const QString &path);

} // namespace CsvLog
