#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

// A file of System Exclusive messages as raw bytes: each message F0 ... F7 exactly as it
// crosses the wire, back to back, nothing between them.
namespace SysExFileFormat {

struct ReadResult
{
    std::vector<QByteArray> messages; // each from F0 to F7
    QString reason; // why the file was refused, when it was

    explicit operator bool() const { return reason.isEmpty(); }
};

// A message without its F7, as Lumetra saves a dump that was cut short: an F0 or the file's
// end closes it. Refused for a send, kept when a file is opened into the grid.
enum class CutShort : bool { Refuse, Keep };

// Takes a file only if it is wholly a sequence of messages, each F0, data bytes (00 to 7F),
// F7; otherwise nothing of it, with a reason naming the first byte at fault.
ReadResult parse(QByteArrayView bytes, CutShort cutShort = CutShort::Refuse);
// The largest file a send takes: dumps beyond it are no device's.
constexpr qint64 LargestFile = qint64(256) << 20;

// Reads the file and parses it; a file that cannot be read, that is no regular file or that
// is larger than LargestFile is refused with the reason.
ReadResult load(const QString &path);

} // namespace SysExFileFormat
