#pragma once

#include "capture/CaptureStore.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>
#include <vector>

// Rows read from a file of another kind into a store of their own: each of a source named
// after the file, or after the file and the input a log names ("take.txt: Keyboard").
class ImportedRows
{
public:
    ImportedRows(CaptureStore &rows, const QString &fileName);

    // The source of the rows a log gives as coming from `input`; of the file alone when empty.
    CaptureStore::Source source(QStringView input = {});

    void append(
        CaptureStore::Source source, std::int64_t stampUs, std::span<const std::uint8_t> bytes);

    // A row of a log as Lumetra writes its cells: the Timestamp cell ("SENT", "SEND ERR",
    // milliseconds since the input started, or nothing in a log without stamps) and the
    // bytes in hex, a cell each; empty cells are passed over. A row the program sent has no
    // stamp: it takes the stamp of the row before it, so that the rows keep the order of
    // their stamps. Returns why the cells make no row, or an empty text.
    QString appendLogged(CaptureStore::Source source, QByteArrayView stampCell,
        std::span<const QByteArrayView> byteCells);

private:
    CaptureStore &m_rows;
    const QString m_fileName;
    std::int64_t m_lastStampUs = 0;
    std::vector<std::uint8_t> m_bytes;
};
