#include "LogFormats.h"

#include "LogLine.h"
#include "capture/CaptureReader.h"
#include "capture/TaskProgress.h"
#include "export/TrafficLog.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

namespace LogFormats {
namespace {

    constexpr qint64 MemoryRoom = std::numeric_limits<qint64>::max();

    // The bytes of one object, or nothing when the line is not an object holding them as
    // two-digit hex separated by spaces.
    std::optional<std::vector<std::uint8_t>> bytesOf(const QJsonObject &object)
    {
        const QByteArray hex = object.value(QStringLiteral("bytes")).toString().toLatin1();
        std::vector<std::uint8_t> bytes;
        for (const QByteArray &pair : hex.split(' ')) {
            bool ok = false;
            const uint value = pair.toUInt(&ok, 16);
            if (!ok || pair.size() != 2)
                return std::nullopt;
            bytes.push_back(std::uint8_t(value));
        }
        return bytes;
    }

    AsLog fromJsonLines(QIODevice &in, bool withSources)
    {
        AsLog out;
        while (!in.atEnd()) {
            const QByteArray line = in.readLine();
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            if (withSources)
                out.log += '[' + object.value(QStringLiteral("source")).toString().toUtf8() + "] ";
            const auto bytes = bytesOf(object);
            // A line that is not right stays as it was: the check finds it altered.
            out.log += bytes ? QByteArray::fromStdString(logLineOf(*bytes)) : line.trimmed() + '?';
            out.log += "\r\n";
        }
        return out;
    }

    AsLog fromCapture(QIODevice &in, bool withSources)
    {
        TaskProgress progress;
        const CaptureReader::Loaded loaded = CaptureReader::read(in, MemoryRoom, progress);
        if (!loaded.rows)
            return {{}, loaded.reason};
        AsLog out;
        QBuffer log(&out.log);
        log.open(QIODevice::WriteOnly);
        TrafficLog::writeRows(*loaded.rows, 0, TrafficLog::Rows::IncomingOnly, withSources, log);
        return out;
    }

} // namespace

AsLog asTrafficLog(QIODevice &in, bool withSources)
{
    const QByteArray start = in.peek(64);
    if (CaptureReader::isCapture(start))
        return fromCapture(in, withSources);
    if (start.startsWith('{'))
        return fromJsonLines(in, withSources);
    return {in.readAll(), {}};
}

} // namespace LogFormats
