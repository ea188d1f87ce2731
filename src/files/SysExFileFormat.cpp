#include "SysExFileFormat.h"

#include "SafeFile.h"
#include "midi/Hex.h"
#include "midi/MidiMessage.h"

#include <algorithm>

namespace SysExFileFormat {
namespace {

    QString refusal(qsizetype offset, std::uint8_t byte, const QString &where)
    {
        return QStringLiteral("Byte %1 is %2, %3")
            .arg(offset)
            .arg(QString::fromStdString(Hex::byteText(byte)), where);
    }

    // The end of the message that begins at `start` (one past its F7), or the reason it is
    // not a complete message.
    std::optional<qsizetype> messageEnd(
        QByteArrayView bytes, qsizetype start, CutShort cutShort, QString &reason)
    {
        const auto first = std::uint8_t(bytes[start]);
        if (first != SysExStatus) {
            reason = refusal(
                start, first, QStringLiteral("where a SysEx message must begin with F0."));
            return std::nullopt;
        }
        const auto statusAt = std::find_if(bytes.begin() + start + 1, bytes.end(),
            [](char byte) { return isStatusByte(std::uint8_t(byte)); });
        const bool cutShortAt = statusAt == bytes.end() || std::uint8_t(*statusAt) == SysExStatus;
        if (cutShort == CutShort::Keep && cutShortAt)
            return statusAt - bytes.begin();
        if (statusAt == bytes.end()) {
            reason = QStringLiteral("The file ends inside the SysEx message that begins at byte "
                                    "%1: its F7 is missing.")
                         .arg(start);
            return std::nullopt;
        }
        const qsizetype offset = statusAt - bytes.begin();
        if (std::uint8_t(*statusAt) != EndOfSysEx) {
            reason = refusal(offset, std::uint8_t(*statusAt),
                QStringLiteral("inside the SysEx message that begins at byte %1, where only data "
                               "bytes (00 to 7F) may come before its F7.")
                    .arg(start));
            return std::nullopt;
        }
        return offset + 1;
    }

} // namespace

ReadResult parse(QByteArrayView bytes, CutShort cutShort)
{
    ReadResult result;
    if (bytes.isEmpty()) {
        result.reason = QStringLiteral("The file is empty.");
        return result;
    }
    for (qsizetype start = 0; start < bytes.size();) {
        const std::optional<qsizetype> end = messageEnd(bytes, start, cutShort, result.reason);
        if (!end) {
            result.messages.clear();
            return result;
        }
        result.messages.emplace_back(bytes.sliced(start, *end - start).toByteArray());
        start = *end;
    }
    return result;
}

ReadResult load(const QString &path)
{
    // Only a regular file of a size a device could take: a FIFO or an endless device in its
    // place must not hold the window.
    const SafeFile::Contents file = SafeFile::readRegular(path, LargestFile);
    if (file.status == SafeFile::Contents::Status::Read)
        return parse(file.bytes);
    ReadResult refused;
    refused.reason = SafeFile::unreadReason(path, file.status, file.reason);
    return refused;
}

} // namespace SysExFileFormat
