#include "JsonLines.h"

#include "BlockWriter.h"
#include "ExportFile.h"
#include "capture/CaptureStore.h"
#include "midi/Hex.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"
#include "rows/UmpRows.h"

namespace JsonLines {

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (std::uint8_t(c) < 0x20) {
            out += "\\u00";
            Hex::appendByte(out, std::uint8_t(c), Hex::Case::Lower);
        } else {
            out += c;
        }
    }
    return out + '"';
}

Writer::Writer(MessageDetails::MiddleC middleC)
    : m_details(middleC)
    , m_sourceNames(jsonString)
{ }

bool Writer::writeRows(const CaptureStore &rows, std::size_t first, QIODevice &out)
{
    return BlockWriter::writeEach(out, first, rows.size(),
        [&](BlockWriter &block, std::size_t row) { appendLine(block, rows, row); });
}

void Writer::appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row)
{
    const CapturedMessage message = rows.at(row);
    m_text = "{\"source\":";
    m_text += m_sourceNames.of(rows)[message.source];
    m_text += ",\"stamp_us\":";
    m_text += std::to_string(message.stampUs);
    m_text += ",\"bytes\":\"";
    for (std::size_t i = 0; i < message.bytes.size(); ++i) {
        if (i > 0)
            m_text += ' ';
        Hex::appendByte(m_text, message.bytes[i], Hex::Case::Upper);
    }
    // A UMP message has no MIDI 1.0 bytes: its words stand beside them.
    if (message.isUmp()) {
        m_text += "\",\"ump\":\"";
        UmpRows::appendWords(m_text, message.ump);
    }
    m_text += "\",\"kind\":";
    block.append(m_text);
    m_text.clear();
    RowCells::appendLeading(m_text, message, rows.portMs(row));
    block.append(jsonString(RowCells::tabField(m_text, RowColumns::Event)));
    block.append(",\"details\":");
    block.append(jsonString(m_details.of(message)));
    block.append("}\n");
}

} // namespace JsonLines
