#include "TrafficLogReader.h"

#include "ImportedRows.h"
#include "capture/TaskProgress.h"
#include "midi/UmpPacket.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace TrafficLogReader {
namespace {

    // The file's lines one by one, without their line ends.
    struct Lines
    {
        QByteArrayView file;
        qsizetype next = 0;
        qsizetype number = 0;

        bool take(QByteArrayView &line)
        {
            if (next >= file.size())
                return false;
            const qsizetype newline = file.indexOf('\n', next);
            const qsizetype end = newline < 0 ? file.size() : newline;
            line = file.sliced(next, end - next);
            next = end + 1;
            ++number;
            if (line.endsWith('\r'))
                line.chop(1);
            return true;
        }
    };

    struct LogLine
    {
        QByteArrayView input; // the source it names, if any
        std::vector<QByteArrayView> cells;
    };

    // Returns why `line` is no row, or an empty text.
    QString split(QByteArrayView line, LogLine &into)
    {
        into.input = {};
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf("] ");
            if (close < 0)
                return QStringLiteral("its source's name has no \"] \" after it.");
            into.input = line.sliced(1, close - 1);
            line = line.sliced(close + 2);
        }
        into.cells.clear();
        for (qsizetype start = 0;;) {
            const qsizetype space = line.indexOf(' ', start);
            into.cells.push_back(line.sliced(start, (space < 0 ? line.size() : space) - start));
            if (space < 0)
                return {};
            start = space + 1;
        }
    }

    // Whether the cells are the words of one UMP message: as many as its first word's type
    // takes.
    bool areOneMessagesWords(std::span<const QByteArrayView> cells)
    {
        if (cells.empty()
            || !std::ranges::all_of(cells, [](QByteArrayView cell) { return cell.size() == 8; }))
            return false;
        std::uint32_t type = 0;
        const char *first = cells.front().data();
        if (std::from_chars(first, first + 1, type, 16).ec != std::errc())
            return false;
        return int(cells.size()) == Ump::wordCountOf(type << 28);
    }

    // Where a line's Timestamp cell is: first, nowhere, or either, for all its cells tell
    // (a stamp of eight digits may read as a UMP word).
    enum class Stamp { Leads, Absent, EitherWay };

    Stamp stampOf(const std::vector<QByteArrayView> &cells)
    {
        if (cells.front() == "SENT" || cells.front() == "SEND")
            return Stamp::Leads;
        const std::span<const QByteArrayView> all = cells;
        const bool stampAndWords = areOneMessagesWords(all.subspan(1));
        if (areOneMessagesWords(all))
            return stampAndWords ? Stamp::EitherWay : Stamp::Absent;
        if (stampAndWords)
            return Stamp::Leads;
        // Three cells without a stamp are a status and two data bytes, empty where the
        // message has fewer; with one, a stamp and a SysEx.
        return cells.front() != "F0" && (cells.size() != 3 || cells[1] == "F0") ? Stamp::Leads
                                                                                : Stamp::Absent;
    }

    // A log has a Timestamp cell on every line or on none: a line that reads either way
    // goes the way of the first line that tells.
    bool stampsLead(QByteArrayView file)
    {
        Lines lines {file};
        LogLine line;
        for (QByteArrayView text; lines.take(text);) {
            if (text.isEmpty() || !split(text, line).isEmpty())
                continue;
            if (const Stamp stamp = stampOf(line.cells); stamp != Stamp::EitherWay)
                return stamp == Stamp::Leads;
        }
        return true;
    }

    QString readLine(const LogLine &line, bool stampedLog, ImportedRows &rows)
    {
        const std::vector<QByteArrayView> &cells = line.cells;
        const Stamp stamp = stampOf(cells);
        if (stamp == Stamp::Absent || (stamp == Stamp::EitherWay && !stampedLog))
            return rows.appendLogged(line.input, {}, cells);
        // "SEND ERR" is one cell with a space in it.
        const bool failedSend = cells.front() == "SEND" && cells.size() > 1 && cells[1] == "ERR";
        const std::size_t stampCells = cells.front() == "SEND" ? 2 : 1;
        return rows.appendLogged(line.input,
            failedSend ? QByteArrayView("SEND ERR") : cells.front(),
            std::span(cells).subspan(std::min(stampCells, cells.size())));
    }

} // namespace

QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress)
{
    progress.setTotal(std::size_t(file.size()));
    const bool stampedLog = stampsLead(file);
    Lines lines {file};
    LogLine line;
    for (QByteArrayView text; !progress.cancelled && lines.take(text);) {
        if (lines.number % 65'536 == 0)
            progress.setDone(std::size_t(lines.next));
        if (text.isEmpty())
            continue;
        QString reason = split(text, line);
        if (reason.isEmpty())
            reason = readLine(line, stampedLog, rows);
        if (reason.isEmpty())
            continue;
        if (lines.number == 1)
            return QStringLiteral("The file is none that Lumetra opens: no capture, MIDI file, "
                                  ".syx file, text or CSV log (line 1: %1)")
                .arg(reason);
        return QStringLiteral("Line %1 is no row of a Lumetra text log: %2")
            .arg(lines.number)
            .arg(reason);
    }
    return {};
}

} // namespace TrafficLogReader
