#include "TrafficLog.h"

#include "BlockWriter.h"
#include "monitor/RowColumns.h"
#include "monitor/RowStore.h"
#include "settings/SafeFile.h"

#include <string_view>

namespace TrafficLog {
using namespace RowColumns;

bool write(const RowStore &rows, Rows selection, QIODevice &out)
{
    BlockWriter block(out);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view row = rows.row(i);
        if (selection == Rows::IncomingOnly && isSentRow(row))
            continue;
        if (selection == Rows::All) {
            block.append(tabField(row, Timestamp));
            block.append(' ');
        }
        if (isSysExRow(row)) {
            block.append(tabField(row, SysExData));
        } else {
            block.append(tabField(row, Status));
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
    return SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, selection, out); });
}

} // namespace TrafficLog
