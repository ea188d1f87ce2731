#pragma once

#include "DetailsText.h"
#include "ExportFile.h"
#include "decode/MessageDetails.h"
#include "rows/TimeOfDay.h"

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

class BlockWriter;
class QIODevice;
class CaptureStore;

// The grid as comma-separated values for a spreadsheet: a header line, then one line per
// row with its seven cells as the grid holds them, then "Time of Day" and "Details" as the
// view would show them whatever it shows now, and last the row's stamp in microseconds since
// the capture began (sent rows too), "Source" when the rows came from several inputs, and
// "Mark" (a marked row's note, or "marked" for one without) when rows are marked;
// CR LF line ends, UTF-8. A field holding a comma, a quote, CR or LF is quoted, its quotes
// doubled. The new columns come last so that readers of the older ones find them where
// they were.
namespace CsvLog {

// Writes in large blocks; false when the device refused a write (its errorString() says why).
bool write(const CaptureStore &rows, MessageDetails::MiddleC middleC, QIODevice &out);

// The same as the rows come: the header, then the rows from some row on, as often as new
// ones were stored.
class Writer
{
public:
    Writer(MessageDetails::MiddleC middleC, bool withSources, bool withMarks = false);

    bool writeHeader(QIODevice &out);
    bool writeRows(const CaptureStore &rows, std::size_t first, QIODevice &out);

private:
    void appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row);

    DetailsText m_details;
    TimeOfDay m_timeOfDay;
    const bool m_withSources;
    const bool m_withMarks;
    ExportFile::SourceNames m_sourceNames;
    std::string m_text;
};

// Writes the file whole or not at all; see SafeFile::saveWhole.
QString save(const CaptureStore &rows, MessageDetails::MiddleC middleC, const QString &path);

} // namespace CsvLog
