#include "CsvLog.h"

#include "BlockWriter.h"
#include "DetailsText.h"
#include "ExportFile.h"
#include "capture/CaptureStore.h"
#include "files/SafeFile.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"
#include "rows/TimeOfDay.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <string_view>

namespace CsvLog {
namespace {

    bool needsQuotes(char c)
    {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    }

    void appendField(BlockWriter &block, std::string_view text)
    {
        if (std::none_of(text.begin(), text.end(), needsQuotes)) {
            block.append(text);
            return;
        }
        block.append('"');
        for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
            block.append(text.substr(0, quote + 1));
            block.append('"');
            text.remove_prefix(quote + 1);
        }
        block.append(text);
        block.append('"');
    }

    void appendHeader(BlockWriter &block, bool withSource, bool withMarks)
    {
        for (const char *title : RowColumns::Titles) {
            block.append(title);
            block.append(',');
        }
        block.append(withSource ? "Time of Day,Details,Capture Microseconds,Source"
                                : "Time of Day,Details,Capture Microseconds");
        block.append(withMarks ? ",Mark\r\n" : "\r\n");
    }

    // A note, or a word that says the row is marked: an empty cell would say it is not.
    void appendMark(BlockWriter &block, const RowMarks &marks, std::size_t row)
    {
        block.append(',');
        const std::optional<QString> note = marks.noteAt(row);
        if (!note)
            return;
        const QByteArray text = note->isEmpty() ? QByteArray("marked") : note->toUtf8();
        appendField(block, std::string_view(text.constData(), std::size_t(text.size())));
    }

} // namespace

Writer::Writer(MessageDetails::MiddleC middleC, bool withSources, bool withMarks)
    : m_details(middleC)
    , m_withSources(withSources)
    , m_withMarks(withMarks)
{ }

bool Writer::writeHeader(QIODevice &out)
{
    BlockWriter block(out);
    appendHeader(block, m_withSources, m_withMarks);
    return block.flush();
}

bool Writer::writeRows(const CaptureStore &rows, std::size_t first, QIODevice &out)
{
    return BlockWriter::writeEach(out, first, rows.size(),
        [&](BlockWriter &block, std::size_t row) { appendLine(block, rows, row); });
}

void Writer::appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row)
{
    std::string &text = m_text;
    text.clear();
    const CapturedMessage message = rows.at(row);
    RowCells::appendLeading(text, message, rows.portMs(row));
    RowCells::appendSysExData(text, message);
    // Cell by cell along the tabs: finding each cell from the start would scan the row
    // seven times.
    std::string_view rest = text;
    for (int column = 0; column < RowColumns::Count; ++column) {
        const std::size_t tab = rest.find('\t');
        appendField(block, rest.substr(0, tab));
        block.append(',');
        rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
    }
    text.clear();
    m_timeOfDay.append(text, rows, row);
    block.append(text);
    block.append(',');
    appendField(block, m_details.of(message));
    block.append(',');
    char stamp[24];
    block.append(
        std::string_view(stamp, std::to_chars(stamp, stamp + sizeof stamp, message.stampUs).ptr));
    if (m_withSources) {
        block.append(',');
        appendField(block, m_sourceNames.of(rows)[message.source]);
    }
    if (m_withMarks)
        appendMark(block, rows.marks(), row);
    block.append("\r\n");
}

bool write(const CaptureStore &rows, MessageDetails::MiddleC middleC, QIODevice &out)
{
    Writer writer(middleC, rows.receivedSources().size() > 1, !rows.marks().empty());
    return writer.writeHeader(out) && writer.writeRows(rows, 0, out);
}

QString save(const CaptureStore &rows, MessageDetails::MiddleC middleC, const QString &path)
{
    return SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, middleC, out); });
}

} // namespace CsvLog
