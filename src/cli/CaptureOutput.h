#pragma once

#include "ToolOptions.h"
#include "recording/Rotation.h"

#include <QFile>
#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

class CaptureRecorder;
class CaptureStore;

// Where `lumetra capture` writes: standard output or a file, in one format. The text log,
// CSV and JSON Lines stream, each batch of rows as it comes, so that a pipe sees them at
// once and the rows need not be kept; a capture file is recorded as the rows come, as the
// window's Record to Disk does, so that a run of days keeps little in memory and a crash
// costs at most its last second. A MIDI file, a .syx and a capture to standard output or a
// device are only whole at the end, and are written then, a file through SafeFile (whole or
// not at all).
class CaptureOutput
{
public:
    // Writes the rows of `store` from `first` on to `out`.
    using WriteRows
        = std::function<bool(const CaptureStore &store, std::size_t first, QIODevice &out)>;
    using WriteWhole = std::function<bool(const CaptureStore &store, QIODevice &out)>;
    struct Stream
    {
        std::function<bool(QIODevice &out)> header; // before any row; may be empty
        WriteRows rows;
    };

    // Nothing, with the reason, when the file cannot be opened.
    static std::unique_ptr<CaptureOutput> open(CaptureFormat format, const QString &path,
        bool withSources, QString &reason, const Rotation &rotation = {});
    ~CaptureOutput();

    // True when the rows written can leave the store at once.
    bool streams() const { return bool(m_stream.rows) || m_rotation; }
    // Writes the rows from `first` on when the output streams; false when it could not
    // (see reason() and readerGone()).
    bool rowsStored(const CaptureStore &store, std::size_t first);
    // The store was emptied after its rows were written.
    void storeEmptied();
    // The run is over: writes what waited for the end. False when it could not.
    bool finish(const CaptureStore &store);

    // Nothing reads standard output any more (a pipe's reader ended): the run ends, and
    // that is no failure.
    bool readerGone() const;
    QString reason() const { return m_reason; }

private:
    CaptureOutput(QString path, Stream stream, WriteWhole writeWhole);
    bool openStream();
    bool record(const CaptureStore &store);
    bool canWriteAtEnd();
    bool failed(const QString &why);

    const QString m_path; // empty: standard output
    Stream m_stream;
    WriteWhole m_writeWhole;
    QFile m_out;
    QString m_reason;
    // Of a capture file recorded as it comes: made with the store it records.
    std::optional<Rotation> m_rotation;
    std::unique_ptr<CaptureRecorder> m_recorder;
};
