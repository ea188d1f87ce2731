#include "FileImport.h"

#include "CsvLogReader.h"
#include "ImportedRows.h"
#include "MidiFileReader.h"
#include "TrafficLogReader.h"
#include "UmpFileReader.h"
#include "capture/CaptureFormat.h"
#include "capture/TaskProgress.h"
#include "files/MemoryRoom.h"
#include "files/SafeFile.h"
#include "files/SysExFileFormat.h"
#include "midi/MidiMessage.h"
#include "recording/RecordedRows.h"

#include <QFile>
#include <QFileInfo>

namespace FileImport {
namespace {

    // A file read whole is held beside the rows made of it: a three-byte event of a MIDI
    // file, in three bytes, takes a row of twelve and a sorting place of sixteen.
    constexpr qint64 MemoryPerFileByte = 12;

    QString readSysEx(QByteArrayView file, ImportedRows &rows)
    {
        const SysExFileFormat::ReadResult dumps
            = SysExFileFormat::parse(file, SysExFileFormat::CutShort::Keep);
        const CaptureStore::Source source = rows.fileSource();
        for (const QByteArray &dump : dumps.messages)
            rows.append(source, 0,
                std::span(reinterpret_cast<const std::uint8_t *>(dump.constData()),
                    std::size_t(dump.size())));
        return dumps.reason;
    }

    QString readByKind(QByteArrayView file, ImportedRows &rows, TaskProgress &progress)
    {
        if (file.isEmpty())
            return QStringLiteral("The file is empty.");
        if (MidiFileReader::isMidiFile(file))
            return MidiFileReader::read(file, rows, progress);
        if (std::uint8_t(file.front()) == SysExStatus)
            return readSysEx(file, rows);
        if (CsvLogReader::isCsvLog(file))
            return CsvLogReader::read(file, rows, progress);
        if (UmpFileReader::isUmpFile(file))
            return UmpFileReader::read(file, rows);
        return TrafficLogReader::read(file, rows, progress);
    }

    using Reader = QString (*)(QByteArrayView, ImportedRows &, TaskProgress &);

    CaptureReader::Loaded readWith(
        Reader reader, QByteArrayView file, const QString &fileName, TaskProgress &progress)
    {
        auto rows = std::make_unique<CaptureStore>();
        ImportedRows imported(*rows, fileName);
        QString reason = reader(file, imported, progress);
        if (reason.isEmpty() && rows->outOfMemory())
            reason = QStringLiteral("The memory ran out after %1 rows.").arg(rows->size());
        if (!reason.isEmpty() || progress.cancelled)
            return {nullptr, reason};
        return {std::move(rows), {}};
    }

    CaptureReader::Loaded readOpened(
        QFile &file, const QString &path, qint64 room, TaskProgress &progress)
    {
        if (CaptureReader::isCapture(file.peek(sizeof CaptureFormat::Magic)))
            return CaptureReader::read(file, room, progress);
        const qint64 largest = room / MemoryPerFileByte;
        if (file.size() > largest)
            return {nullptr,
                QStringLiteral("The file is larger than the %1 that the memory there is "
                               "has room to open.")
                    .arg(SafeFile::sizeText(largest))};
        QByteArray bytes(qsizetype(file.size()), Qt::Uninitialized);
        if (file.read(bytes.data(), bytes.size()) != bytes.size())
            return {nullptr,
                QStringLiteral("The file cannot be read whole: %1.").arg(file.errorString())};
        // A file that grew meanwhile is not the file that was measured.
        if (!file.read(1).isEmpty())
            return {nullptr, QStringLiteral("The file grew while it was read.")};
        return read(bytes, QFileInfo(path).fileName(), progress);
    }

} // namespace

QString dialogFilter()
{
    return QStringLiteral("Files Lumetra opens (*.lmc *.mid *.midi *.smf *.syx *.txt *.csv "
                          "*.midi2 *.ump);;"
                          "Lumetra captures (*.lmc);;MIDI files (*.mid *.midi *.smf);;"
                          "SysEx files (*.syx);;Text logs (*.txt);;CSV logs (*.csv);;"
                          "MIDI clips and UMP words (*.midi2 *.ump *.txt);;"
                          "All files (*)");
}

CaptureReader::Loaded read(QByteArrayView file, const QString &fileName, TaskProgress &progress)
{
    CaptureReader::Loaded loaded = readWith(readByKind, file, fileName, progress);
    // A text log whose first row is of UMP begins as a word dump does (a stamp of eight
    // digits reads as a word): read as a dump it fails, and it is read as the log it is.
    if (!loaded.rows && !progress.cancelled && UmpFileReader::isUmpFile(file)) {
        if (CaptureReader::Loaded log = readWith(TrafficLogReader::read, file, fileName, progress);
            log.rows)
            return log;
    }
    return loaded;
}

std::optional<CaptureReader::Loaded> openRecording(
    const QStringList &paths, const std::shared_ptr<RecordedRows> &onDisk, TaskProgress &progress)
{
    auto rows = std::make_unique<CaptureStore>();
    rows->readBackFrom(onDisk);
    const std::uint64_t base = onDisk->newBase();
    QStringList notices;
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt; // said as the file is read whole
        CaptureReader::RecordingIndex index;
        const std::uint64_t firstOnDisk = base + rows->size();
        CaptureReader::Loaded loaded
            = CaptureReader::indexRecording(file, std::move(rows), firstOnDisk, index, progress);
        if (!index.listsPortStarts && loaded.reason.isEmpty())
            return std::nullopt;
        if (!loaded.rows)
            return CaptureReader::Loaded {nullptr,
                loaded.reason.isEmpty()
                    ? QString()
                    : QStringLiteral("Cannot open \"%1\": %2").arg(path, loaded.reason)};
        onDisk->addOpenedFile(path, base, index.sources, index.chunks, index.indexedTo);
        rows = std::move(loaded.rows);
        notices << loaded.notice;
    }
    notices.removeAll(QString());
    return CaptureReader::Loaded {std::move(rows), {}, notices.join(u' ')};
}

CaptureReader::Loaded load(const QString &path, TaskProgress &progress)
{
    const qint64 room = MemoryRoom::available();
    // A file larger than the memory there is would not fit once read: it is refused unread.
    const SafeFile::Opened opened = SafeFile::openRegular(path, room);
    if (opened.status != SafeFile::Contents::Status::Read)
        return {nullptr, SafeFile::unreadReason(path, opened.status, opened.reason)};
    CaptureReader::Loaded loaded = readOpened(*opened.file, path, room, progress);
    if (!loaded.reason.isEmpty())
        loaded.reason = QStringLiteral("Cannot open \"%1\": %2").arg(path, loaded.reason);
    return loaded;
}

} // namespace FileImport
