#pragma once

#include "DetailsText.h"
#include "ExportFile.h"
#include "decode/MessageDetails.h"

#include <cstddef>
#include <string>
#include <vector>

class BlockWriter;
class CaptureStore;
class QIODevice;

// Received traffic as JSON Lines, for a script: one object a line, LF line ends, UTF-8:
//   {"source":"JACK: synth:out","stamp_us":1520,"bytes":"90 3C 7F","kind":"NOTE ON",
//    "details":"C4 velocity 127"}
// `stamp_us` counts microseconds since the capture began; `kind` is the Event cell as the
// grid shows it (empty for bytes without a status), `details` the Details words. The program
// never reads these lines back: they are for the reader.
namespace JsonLines {

class Writer
{
public:
    explicit Writer(MessageDetails::MiddleC middleC);

    // The rows from `first` on; false when the device refused a write (its errorString()
    // says why).
    bool writeRows(const CaptureStore &rows, std::size_t first, QIODevice &out);

private:
    void appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row);

    DetailsText m_details;
    ExportFile::SourceNames m_sourceNames; // as JSON strings
    std::string m_text;
};

// `text` as a JSON string, quotes included.
std::string jsonString(std::string_view text);

} // namespace JsonLines
