#include "CsvLog.h"

#include "BlockWriter.h"
#include "ExportFile.h"
#include "capture/CaptureStore.h"
#include "files/SafeFile.h"
#include "monitor/RowCells.h"
#include "monitor/RowColumns.h"
#include "monitor/TimeOfDay.h"

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

    // The details of each distinct short message are put into words once; a log repeats few.
    class DetailsText
    {
    public:
        explicit DetailsText(MessageDetails::MiddleC middleC)
            : m_middleC(middleC)
            , m_known(std::make_unique<Entry[]>(Slots))
        { }

        std::string_view of(const CapturedMessage &message)
        {
            if (message.bytes.size() > 3) {
                m_long = MessageDetails::describe(message.bytes, m_middleC).toStdString();
                return m_long;
            }
            std::uint32_t key = 1u << 31 | std::uint32_t(message.bytes.size()) << 24;
            for (std::size_t i = 0; i < message.bytes.size(); ++i)
                key |= std::uint32_t(message.bytes[i]) << (16 - 8 * i);
            Entry &entry = m_known[(key * 0x9E3779B1u) >> 20];
            if (entry.key != key)
                entry = {key, MessageDetails::describe(message.bytes, m_middleC).toStdString()};
            return entry.words;
        }

    private:
        static constexpr std::size_t Slots = std::size_t(1) << 12;
        struct Entry
        {
            std::uint32_t key = 0;
            std::string words; // UTF-8
        };
        const MessageDetails::MiddleC m_middleC;
        std::unique_ptr<Entry[]> m_known;
        std::string m_long;
    };

    void appendHeader(BlockWriter &block, bool withSource)
    {
        for (const char *title : RowColumns::Titles) {
            block.append(title);
            block.append(',');
        }
        block.append(withSource ? "Time of Day,Details,Capture Microseconds,Source\r\n"
                                : "Time of Day,Details,Capture Microseconds\r\n");
    }

    struct LineWriter
    {
        const CaptureStore &rows;
        TimeOfDay timeOfDay;
        DetailsText details;
        std::string text;
        // By source, when the rows came from several.
        std::vector<std::string> sourceNames;
    };

    void appendLine(BlockWriter &block, LineWriter &line, std::size_t row)
    {
        const CaptureStore &rows = line.rows;
        std::string &text = line.text;
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
        line.timeOfDay.append(text, rows, row);
        block.append(text);
        block.append(',');
        appendField(block, line.details.of(message));
        block.append(',');
        char stamp[24];
        block.append(std::string_view(
            stamp, std::to_chars(stamp, stamp + sizeof stamp, message.stampUs).ptr));
        if (!line.sourceNames.empty()) {
            block.append(',');
            appendField(block, line.sourceNames[message.source]);
        }
        block.append("\r\n");
    }

} // namespace

bool write(const CaptureStore &rows, MessageDetails::MiddleC middleC, QIODevice &out)
{
    BlockWriter block(out);
    LineWriter line {rows, {}, DetailsText(middleC), {}, {}};
    line.sourceNames = ExportFile::namesOfSeveralSources(rows);
    appendHeader(block, !line.sourceNames.empty());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        appendLine(block, line, row);
        if (!block.flushWhenFull())
            return false;
    }
    return block.flush();
}

QString save(const CaptureStore &rows, MessageDetails::MiddleC middleC, const QString &path)
{
    return SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, middleC, out); });
}

} // namespace CsvLog
