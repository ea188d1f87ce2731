#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// The other forms Lumetra writes traffic in, turned into the traffic log the checks read:
// JSON Lines (each object's "bytes") and the capture file, whose rows become the lines
// "Save MIDI IN as Text" writes.
namespace LogFormats {

struct AsLog
{
    QByteArray log;
    QString reason; // why the file could not be read, when it could not
};

// The log of what `in` holds, each line led by its source ("[NAME] ") when `withSources`
// (of a JSON Lines or capture file); a traffic log is returned as it is.
AsLog asTrafficLog(QIODevice &in, bool withSources);

} // namespace LogFormats
