#include "CaptureOutput.h"

#include "MessageLines.h"
#include "StopSignals.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "export/CsvLog.h"
#include "export/JsonLines.h"
#include "export/MidiFile.h"
#include "export/SysExFile.h"
#include "export/TrafficLog.h"
#include "files/SafeFile.h"
#include "recording/CaptureRecorder.h"

#include <QFileInfo>
#include <unistd.h>

namespace {

CaptureOutput::WriteWhole wholeWriter(CaptureFormat format)
{
    switch (format) {
    case CaptureFormat::MidiFile:
        return [](const CaptureStore &rows, QIODevice &out) {
            return MidiFile::write(rows, out).has_value();
        };
    case CaptureFormat::SysEx:
        return [](const CaptureStore &rows, QIODevice &out) {
            return SysExFile::write(rows, SysExFile::rowsToSave(rows, {}), out).has_value();
        };
    default:
        return [](const CaptureStore &rows, QIODevice &out) {
            TaskProgress progress;
            return CaptureWriter::write(rows, out, progress);
        };
    }
}

// The writers keep their state (the details they put into words) for the whole run.
CaptureOutput::Stream streamWriter(CaptureFormat format, bool withSources)
{
    switch (format) {
    case CaptureFormat::Lines: {
        auto writer = std::make_shared<MessageLines>(MessageDetails::MiddleC::C4);
        return {{}, [writer](const CaptureStore &rows, std::size_t first, QIODevice &out) {
                    return writer->writeRows(rows, first, out);
                }};
    }
    case CaptureFormat::Text:
        return {{}, [withSources](const CaptureStore &rows, std::size_t first, QIODevice &out) {
                    return TrafficLog::writeRows(
                        rows, first, TrafficLog::Rows::IncomingOnly, withSources, out);
                }};
    case CaptureFormat::Csv: {
        auto writer = std::make_shared<CsvLog::Writer>(MessageDetails::MiddleC::C4, withSources);
        return {[writer](QIODevice &out) { return writer->writeHeader(out); },
            [writer](const CaptureStore &rows, std::size_t first, QIODevice &out) {
                return writer->writeRows(rows, first, out);
            }};
    }
    case CaptureFormat::JsonLines: {
        auto writer = std::make_shared<JsonLines::Writer>(MessageDetails::MiddleC::C4);
        return {{}, [writer](const CaptureStore &rows, std::size_t first, QIODevice &out) {
                    return writer->writeRows(rows, first, out);
                }};
    }
    default:
        return {};
    }
}

} // namespace

std::unique_ptr<CaptureOutput> CaptureOutput::open(CaptureFormat format, const QString &path,
    bool withSources, QString &reason, const Rotation &rotation)
{
    Stream stream = streamWriter(format, withSources);
    const bool streams = bool(stream.rows);
    std::unique_ptr<CaptureOutput> output(
        new CaptureOutput(path, std::move(stream), streams ? WriteWhole() : wholeWriter(format)));
    const bool records
        = format == CaptureFormat::Capture && !path.isEmpty() && !SafeFile::isStreamedTo(path);
    if (records)
        output->m_rotation = rotation;
    if (rotation.rotates() && !records) {
        reason = QStringLiteral("--rotate needs --format capture and a file to write: -o FILE.");
        return nullptr;
    }
    if (streams ? !output->openStream() : !output->canWriteAtEnd()) {
        reason = output->reason();
        return nullptr;
    }
    return output;
}

CaptureOutput::CaptureOutput(QString path, Stream stream, WriteWhole writeWhole)
    : m_path(std::move(path))
    , m_stream(std::move(stream))
    , m_writeWhole(std::move(writeWhole))
{ }

CaptureOutput::~CaptureOutput() = default;

bool CaptureOutput::openStream()
{
    // Unbuffered: each batch reaches the reader of a pipe when it is written.
    const bool opened = m_path.isEmpty()
        ? m_out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)
        : (m_out.setFileName(m_path),
            m_out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered));
    if (opened && (!m_stream.header || m_stream.header(m_out)))
        return true;
    return failed(m_out.errorString());
}

// A file written at the end goes beside its place first (SafeFile): a folder that takes no
// file is said now, not after a run of hours. A device or a FIFO is written in place.
bool CaptureOutput::canWriteAtEnd()
{
    if (m_path.isEmpty() || SafeFile::isStreamedTo(m_path))
        return true;
    if (QFileInfo(m_path).isDir())
        return failed(QStringLiteral("it is a folder"));
    const QFileInfo folder(QFileInfo(m_path).absolutePath());
    return (folder.isDir() && folder.isWritable())
        || failed(QStringLiteral("its folder is not there or takes no files"));
}

// The recorder starts with the first rows, as it needs the store they are in.
bool CaptureOutput::record(const CaptureStore &store)
{
    if (!m_recorder) {
        m_recorder = std::make_unique<CaptureRecorder>(store);
        CaptureRecorder::Settings settings {m_path, *m_rotation};
        settings.withStored = true;
        const QString why = m_recorder->start(settings);
        if (!why.isEmpty()) {
            m_reason = why;
            return false;
        }
    }
    m_recorder->take();
    if (m_recorder->failure().isEmpty())
        return true;
    m_reason = m_recorder->failure();
    return false;
}

void CaptureOutput::storeEmptied()
{
    if (m_recorder)
        m_recorder->skipStored();
}

bool CaptureOutput::rowsStored(const CaptureStore &store, std::size_t first)
{
    if (m_rotation)
        return record(store);
    if (!m_stream.rows || m_stream.rows(store, first, m_out))
        return true;
    return failed(m_out.errorString());
}

bool CaptureOutput::finish(const CaptureStore &store)
{
    if (m_rotation) {
        if (!record(store))
            return false;
        m_recorder->stopAndWait();
        m_reason = m_recorder->failure();
        return m_reason.isEmpty();
    }
    if (m_stream.rows) {
        m_out.close();
        return true;
    }
    if (!m_path.isEmpty()) {
        const QString why
            = SafeFile::saveWhole(m_path, [&](QIODevice &out) { return m_writeWhole(store, out); });
        return why.isEmpty() || failed(why);
    }
    if (!m_out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(m_out.errorString());
    return m_writeWhole(store, m_out) || failed(m_out.errorString());
}

bool CaptureOutput::readerGone() const
{
    return m_path.isEmpty() && ::readerGone(STDOUT_FILENO);
}

bool CaptureOutput::failed(const QString &why)
{
    m_reason = m_path.isEmpty() ? QStringLiteral("Cannot write to standard output: %1").arg(why)
                                : QStringLiteral("Cannot write \"%1\": %2").arg(m_path, why);
    return false;
}
