#include "CsvLog.h"

#include "BlockWriter.h"
#include "ExportFile.h"
#include "monitor/RowColumns.h"
#include "monitor/RowStore.h"

#include <algorithm>
#include <string_view>
#include <vector>

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

    struct Extra
    {
        const ColumnText &text;
        const char *title;
    };

    // The columns that the callers asked for, in their order.
    std::vector<Extra> extrasOf(const ExtraColumns &extra)
    {
        std::vector<Extra> extras;
        if (extra.timeOfDay)
            extras.push_back({extra.timeOfDay, "Time of Day"});
        if (extra.details)
            extras.push_back({extra.details, "Details"});
        return extras;
    }

    void appendHeader(BlockWriter &block, const std::vector<Extra> &extras)
    {
        for (int column = 0; column < RowColumns::Count; ++column) {
            if (column > 0)
                block.append(',');
            block.append(RowColumns::Titles[column]);
        }
        for (const Extra &extra : extras) {
            block.append(',');
            block.append(extra.title);
        }
        block.append("\r\n");
    }

    void appendLine(
        BlockWriter &block, const RowStore &rows, std::size_t row, const std::vector<Extra> &extras)
    {
        // Cell by cell along the tabs: finding each cell from the start would scan the row
        // seven times.
        std::string_view rest = rows.row(row);
        for (int column = 0; column < RowColumns::Count; ++column) {
            if (column > 0)
                block.append(',');
            const std::size_t tab = rest.find('\t');
            appendField(block, rest.substr(0, tab));
            rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
        }
        for (const Extra &extra : extras) {
            block.append(',');
            appendField(block, extra.text(row));
        }
        block.append("\r\n");
    }

} // namespace

bool write(const RowStore &rows, const ExtraColumns &extra, QIODevice &out)
{
    const std::vector<Extra> extras = extrasOf(extra);
    BlockWriter block(out);
    appendHeader(block, extras);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        appendLine(block, rows, row, extras);
        if (!block.flushWhenFull())
            return false;
    }
    return block.flush();
}

QString save(const RowStore &rows, const ExtraColumns &extra, const QString &path)
{
    return ExportFile::save(path, [&](QIODevice &out) { return write(rows, extra, out); });
}

} // namespace CsvLog
