#pragma once

#include "capture/CaptureStore.h"

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

// A row as a test writes it: what crossed the wire, whence, and when.
struct StoredRow
{
    Origin origin;
    std::vector<std::uint8_t> bytes;
    std::int64_t stampUs = 0;
    CaptureStore::Source source = 0;
};

inline void store(CaptureStore &rows, const std::vector<StoredRow> &stored)
{
    for (const StoredRow &row : stored)
        rows.append(row.origin, row.source, row.stampUs, row.bytes);
}

// A row as a person reads it: origin, source, stamp, Timestamp cell, time of day, bytes.
inline std::string rowLine(const CaptureStore &rows, std::size_t row)
{
    const CapturedMessage message = rows.at(row);
    const std::span<const std::uint8_t> held = message.isUmp() ? message.ump : message.held();
    return QStringLiteral("%1 %2 %3 %4 %5 %6%7")
        .arg(int(message.origin))
        .arg(rows.sourceName(message.source))
        .arg(message.stampUs)
        .arg(rows.portMs(row).value_or(-1))
        .arg(rows.wallMs(row).value_or(-1))
        .arg(
            QByteArray(reinterpret_cast<const char *>(held.data()), qsizetype(held.size())).toHex())
        .arg(message.isUmp() ? " UMP" : "")
        .toStdString();
}

inline std::vector<std::string> rowLines(const CaptureStore &rows, std::size_t first = 0)
{
    std::vector<std::string> lines;
    for (std::size_t row = first; row < rows.size(); ++row)
        lines.push_back(rowLine(rows, row));
    return lines;
}
