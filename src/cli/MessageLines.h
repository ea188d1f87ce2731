#pragma once

#include "export/DetailsText.h"
#include "export/ExportFile.h"

#include <cstddef>
#include <string>

class BlockWriter;
class CaptureStore;
class QIODevice;

// What `lumetra capture` prints by default: one message a line, for a person at a terminal,
// its fields in columns:
//       0.001520  JACK: synth:out  90 3C 7F     NOTE ON             1  C4 velocity 127
// seconds since the capture began, the source, the bytes (a long SysEx cut after its first
// few, with its size), the Event and Channel cells and the Details words. Nothing reads these
// lines back: the hex format and the others are for programs.
class MessageLines
{
public:
    static constexpr std::size_t BytesShown = 8;

    explicit MessageLines(MessageDetails::MiddleC middleC);

    // The rows from `first` on; false when the device refused a write.
    bool writeRows(const CaptureStore &rows, std::size_t first, QIODevice &out);

private:
    void appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row);
    void appendBytes(const CapturedMessage &message);
    void endColumn(std::size_t width, std::size_t from);

    DetailsText m_details;
    ExportFile::SourceNames m_sourceNames;
    std::size_t m_sourceWidth = 0; // of the widest source name
    std::size_t m_namesMeasured = 0; // how many names it was measured over
    std::string m_line;
    std::string m_cells;
};
