#pragma once

#include "LoopTally.h"

#include <QString>

// A loop test's results as people and programs read them.
namespace LoopReport {

// The ports the messages went out on and came back by.
struct Path
{
    QString output;
    QString input;

    bool operator==(const Path &) const = default;
};

// Lines of "what: figures", for the dialog, the clipboard and the terminal.
QString text(const Path &path, const LoopResults &results);
// One JSON object.
QString json(const Path &path, const LoopResults &results);
// "Measure,Value" lines, then the latency histogram as "Latency from (µs),Count" lines.
QString csv(const Path &path, const LoopResults &results);

} // namespace LoopReport
