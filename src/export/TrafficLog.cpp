#include "TrafficLog.h"

#include "monitor/RowStore.h"

#include <QIODevice>
#include <QSaveFile>
#include <string_view>

namespace TrafficLog {
namespace {

    constexpr qsizetype BlockSize = 1 << 20;

    enum Column { Timestamp = 0, Status = 1, Data1 = 2, Data2 = 3, SysExData = 6 };

    std::string_view trimSpaces(std::string_view text)
    {
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        return text;
    }

    bool equalsIgnoringCase(std::string_view text, std::string_view word)
    {
        return text.size() == word.size()
            && std::equal(text.begin(), text.end(), word.begin(),
                [](char a, char b) { return (a & ~0x20) == (b & ~0x20); });
    }

    void append(QByteArray &block, std::string_view text)
    {
        block.append(text.data(), qsizetype(text.size()));
    }

} // namespace

bool write(const RowStore &rows, Rows selection, QIODevice &out)
{
    QByteArray block;
    block.reserve(BlockSize + 4096);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view row = rows.row(i);
        const std::string_view timestamp = tabField(row, Timestamp);
        if (selection == Rows::IncomingOnly && equalsIgnoringCase(trimSpaces(timestamp), "SENT"))
            continue;
        if (selection == Rows::All) {
            append(block, timestamp);
            block += ' ';
        }
        const std::string_view status = tabField(row, Status);
        if (equalsIgnoringCase(status, "F0")) {
            append(block, tabField(row, SysExData));
        } else {
            append(block, status);
            block += ' ';
            append(block, tabField(row, Data1));
            block += ' ';
            append(block, tabField(row, Data2));
        }
        block += "\r\n";
        if (block.size() >= BlockSize) {
            if (out.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return block.isEmpty() || out.write(block) == block.size();
}

QString save(const RowStore &rows, Rows selection, const QString &path)
{
    // Unbuffered: a write the disk refuses part-way must be seen before the commit.
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && write(rows, selection, file) && file.commit();
    return saved ? QString() : file.errorString();
}

} // namespace TrafficLog
