#include "TrafficLog.h"

#include "BlockWriter.h"
#include "ExportFile.h"
#include "capture/CaptureStore.h"
#include "files/SafeFile.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"

#include <string>
#include <vector>

namespace TrafficLog {
using namespace RowColumns;

namespace {

    // "[name] " by source.
    std::vector<std::string> sourcePrefixes(const CaptureStore &rows)
    {
        std::vector<std::string> prefixes = ExportFile::namesOfSources(rows);
        for (std::string &prefix : prefixes)
            prefix = '[' + prefix + "] ";
        return prefixes;
    }

} // namespace

bool write(const CaptureStore &rows, Rows selection, QIODevice &out)
{
    return writeRows(rows, 0, selection, rows.receivedSources().size() > 1, out);
}

bool writeRows(
    const CaptureStore &rows, std::size_t first, Rows selection, bool withSources, QIODevice &out)
{
    BlockWriter block(out);
    const std::vector<std::string> prefixes
        = withSources ? sourcePrefixes(rows) : std::vector<std::string>();
    std::string line;
    for (std::size_t i = first; i < rows.size(); ++i) {
        const CapturedMessage message = rows.at(i);
        if (selection == Rows::IncomingOnly && message.origin == Origin::Sent)
            continue;
        line.clear();
        RowCells::appendLeading(line, message, rows.portMs(i));
        if (!prefixes.empty())
            block.append(prefixes[message.source]);
        if (selection == Rows::All) {
            block.append(RowCells::tabField(line, Timestamp));
            block.append(' ');
        }
        if (message.isSysEx() || message.isUmp()) {
            line.clear();
            RowCells::appendSysExData(line, message);
            block.append(line);
        } else {
            block.append(RowCells::tabField(line, Status));
            block.append(' ');
            block.append(RowCells::tabField(line, Data1));
            block.append(' ');
            block.append(RowCells::tabField(line, Data2));
        }
        block.append("\r\n");
        if (!block.flushWhenFull())
            return false;
    }
    return block.flush();
}

QString save(const CaptureStore &rows, Rows selection, const QString &path)
{
    return SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, selection, out); });
}

} // namespace TrafficLog
