#include "CsvLog.h"

#include "BlockWriter.h"
#include "capture/CaptureStore.h"
#include "files/SafeFile.h"
#include "monitor/RowCells.h"
#include "monitor/RowColumns.h"

#include <algorithm>
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

    void appendField(BlockWriter &block, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        appendField(block, std::string_view(utf8.constData(), std::size_t(utf8.size())));
    }

    void appendHeader(BlockWriter &block)
    {
        for (const char *title : RowColumns::Titles) {
            block.append(title);
            block.append(',');
        }
        block.append("Time of Day,Details\r\n");
    }

    void appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row,
        const ExtraColumns &extra, std::string &text)
    {
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
        appendField(block, extra.timeOfDay(row));
        block.append(',');
        appendField(block, extra.details(row));
        block.append("\r\n");
    }

} // namespace

bool write(const CaptureStore &rows, const ExtraColumns &extra, QIODevice &out)
{
    BlockWriter block(out);
    appendHeader(block);
    std::string text;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        appendLine(block, rows, row, extra, text);
        if (!block.flushWhenFull())
            return false;
    }
    return block.flush();
}

QString save(const CaptureStore &rows, const ExtraColumns &extra, const QString &path)
{
    return SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, extra, out); });
}

} // namespace CsvLog
