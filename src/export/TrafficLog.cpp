#include "TrafficLog.h"

#include "BlockWriter.h"
#include "ExportFile.h"
#include "monitor/RowColumns.h"
#include "monitor/RowStore.h"

#include <string_view>

namespace TrafficLog {
namespace {

    using namespace RowColumns;

    bool equalsIgnoringCase(std::string_view text, std::string_view word)
    {
        return text.size() == word.size()
            && std::equal(text.begin(), text.end(), word.begin(),
                [](char a, char b) { return (a & ~0x20) == (b & ~0x20); });
    }

} // namespace

bool write(const RowStore &rows, Rows selection, QIODevice &out)
{
    BlockWriter block(out);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view row = rows.row(i);
        const std::string_view timestamp = tabField(row, Timestamp);
        if (selection == Rows::IncomingOnly && equalsIgnoringCase(trimSpaces(timestamp), "SENT"))
            continue;
        if (selection == Rows::All) {
            block.append(timestamp);
            block.append(' ');
        }
        const std::string_view status = tabField(row, Status);
        if (equalsIgnoringCase(status, "F0")) {
            block.append(tabField(row, SysExData));
        } else {
            block.append(status);
            block.append(' ');
            block.append(tabField(row, Data1));
            block.append(' ');
            block.append(tabField(row, Data2));
        }
        block.append("\r\n");
        if (!block.flushWhenFull())
            return false;
    }
    return block.flush();
}

QString save(const RowStore &rows, Rows selection, const QString &path)
{
    return ExportFile::save(path, [&](QIODevice &out) { return write(rows, selection, out); });
}

} // namespace TrafficLog
