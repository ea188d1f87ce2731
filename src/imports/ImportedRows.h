#pragma once

#include "capture/CaptureStore.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Rows read from a file of another kind into a store of their own: each of a source named
// after the file, or after the file and the input a log names ("take.txt: Keyboard").
class ImportedRows
{
public:
    ImportedRows(CaptureStore &rows, const QString &fileName);

    // The source of the rows of a file that names no input: the first the store names.
    CaptureStore::Source fileSource();

    void append(
        CaptureStore::Source source, std::int64_t stampUs, std::span<const std::uint8_t> bytes);
    void appendUmp(CaptureStore::Source source, std::int64_t stampUs, const Ump::Packet &packet)
    {
        m_rows.appendUmp(Origin::Received, source, stampUs, packet);
    }

    // A row of a log as Lumetra writes its cells: the Timestamp cell ("SENT", "SEND ERR",
    // milliseconds since the input started, or nothing in a log without stamps), the bytes
    // in hex, a cell each (empty cells are passed over), and the stamp in microseconds where
    // the log holds it. Without that, a row stamped in milliseconds is stamped so, and a
    // row the program sent takes the stamp of the row before it, so that the rows keep the
    // order of their stamps. With it, a port start is put where the Timestamp cell needs
    // one to read as it did. The row is of the file and of `input`, the input the log names
    // as UTF-8, or of the file alone when that is empty. Returns why the cells make no row,
    // or an empty text.
    QString appendLogged(QByteArrayView input, QByteArrayView stampCell,
        std::span<const QByteArrayView> byteCells, QByteArrayView microsecondsCell = {});

    // Marks the row appended last with a note: a log that kept the marks of its rows. Once
    // the memory ran out no row is appended, and none is marked.
    void markLastRow(const QString &note)
    {
        if (!m_rows.outOfMemory() && m_rows.size() > 0)
            m_rows.marks().set(m_rows.size() - 1, note);
    }

private:
    // The source of the rows a log gives as coming from `input`, or why there is none.
    QString sourceOf(QByteArrayView input, CaptureStore::Source &source);
    // The row of a log's MIDI 1.0 bytes, a cell each; `withoutStamp` for a line of a log
    // that has no Timestamp cells.
    QString appendLoggedBytes(CaptureStore::Source source, Origin origin, bool withoutStamp,
        std::span<const QByteArrayView> byteCells);

    CaptureStore &m_rows;
    const QString m_fileName;
    // Makes the Timestamp cell of a row of `source` stamped `stampUs` read `ms`.
    void keepCell(CaptureStore::Source source, std::int64_t stampUs, std::int32_t ms);

    std::int64_t m_lastStampUs = 0;
    std::vector<std::uint8_t> m_bytes;
};
