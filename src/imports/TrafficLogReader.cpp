#include "TrafficLogReader.h"

#include "ImportedRows.h"
#include "capture/TaskProgress.h"

#include <vector>

namespace TrafficLogReader {
namespace {

    // Whether the line's first cell is its Timestamp cell. Three cells without one are a
    // status and two data bytes; with one, a stamp and a SysEx, or the two words of a UMP
    // message.
    bool isStamped(const std::vector<QByteArrayView> &cells)
    {
        if (cells.front() == "SENT" || cells.front() == "SEND")
            return true;
        return cells.front() != "F0"
            && (cells.size() != 3 || cells[1] == "F0" || cells[1].size() == 8);
    }

    QString readLine(QByteArrayView line, ImportedRows &rows, std::vector<QByteArrayView> &cells)
    {
        QByteArrayView input;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf("] ");
            if (close < 0)
                return QStringLiteral("its source's name has no \"] \" after it.");
            input = line.sliced(1, close - 1);
            line = line.sliced(close + 2);
        }
        cells.clear();
        for (qsizetype start = 0;;) {
            const qsizetype space = line.indexOf(' ', start);
            cells.push_back(line.sliced(start, (space < 0 ? line.size() : space) - start));
            if (space < 0)
                break;
            start = space + 1;
        }
        QByteArrayView stamp;
        std::span<const QByteArrayView> bytes = cells;
        if (isStamped(cells)) {
            // "SEND ERR" is one cell with a space in it.
            const std::size_t stampCells = cells.front() == "SEND" ? 2 : 1;
            stamp = cells.size() > 1 && stampCells == 2 && cells[1] == "ERR"
                ? QByteArrayView("SEND ERR")
                : cells.front();
            bytes = bytes.subspan(std::min(stampCells, cells.size()));
        }
        return rows.appendLogged(input, stamp, bytes);
    }

} // namespace

QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress)
{
    progress.setTotal(std::size_t(file.size()));
    std::vector<QByteArrayView> cells;
    qsizetype lineNumber = 0;
    for (qsizetype start = 0; start < file.size() && !progress.cancelled;) {
        const qsizetype newline = file.indexOf('\n', start);
        const qsizetype end = newline < 0 ? file.size() : newline;
        QByteArrayView line = file.sliced(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (lineNumber % 65'536 == 0)
            progress.setDone(std::size_t(start));
        if (line.isEmpty())
            continue;
        const QString reason = readLine(line, rows, cells);
        if (reason.isEmpty())
            continue;
        if (lineNumber == 1)
            return QStringLiteral("The file is none that Lumetra opens: no capture, MIDI file, "
                                  ".syx file, text or CSV log (line 1: %1)")
                .arg(reason);
        return QStringLiteral("Line %1 is no row of a Lumetra text log: %2")
            .arg(lineNumber)
            .arg(reason);
    }
    return {};
}

} // namespace TrafficLogReader
