#include "UmpFileReader.h"

#include "ImportedRows.h"
#include "ump/MidiClipFile.h"
#include "ump/UmpWordDump.h"

namespace UmpFileReader {
namespace {

    // Packets that only time or frame a clip: NOOP, the Delta Clockstamps, and the Start and
    // End of Clip. The stamps of the rows hold all they say.
    bool isClipFraming(const Ump::Packet &packet)
    {
        if (packet.type() == Ump::MessageType::Utility) {
            const std::uint32_t status = packet.bits(0, 23, 20);
            return status == 0x0 || status == 0x3 || status == 0x4;
        }
        return packet.type() == Ump::MessageType::Stream
            && (packet.bits(0, 25, 16) == 0x20 || packet.bits(0, 25, 16) == 0x21);
    }

} // namespace

bool isUmpFile(QByteArrayView file)
{
    return MidiClipFile::isClipFile(file) || UmpWordDump::isWordDump(file);
}

QString read(QByteArrayView file, ImportedRows &rows)
{
    const bool isClip = MidiClipFile::isClipFile(file);
    const Ump::ReadEvents read = isClip ? MidiClipFile::read(file) : UmpWordDump::read(file);
    if (!read.reason.isEmpty())
        return read.reason;
    const CaptureStore::Source source = rows.fileSource();
    for (const Ump::Event &event : read.events)
        if (!isClip || !isClipFraming(event.packet))
            rows.appendUmp(source, event.stampUs, event.packet);
    return {};
}

} // namespace UmpFileReader
