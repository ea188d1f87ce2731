#pragma once

#include <QByteArrayView>
#include <QString>

class ImportedRows;
struct TaskProgress;

// Reads Lumetra's own text logs back as rows: "Save MIDI IN as Text" (the bytes of each
// received row) and "Save MIDI IN and OUT as Text" (each row led by its Timestamp cell,
// SENT or SEND ERR), each line led by "[source] " when the rows came from several inputs.
// A line is told apart by its cells, so a log of either kind reads: a line of bytes alone
// has three cells or begins with F0, one with a stamp has four or its second cell is F0; a
// UMP row's words, as many as its type takes, come alone or after a stamp.
namespace TrafficLogReader {

// Appends the log's rows to `rows`; returns the reason the file is refused, naming the
// line at fault, or an empty text. `progress` counts the bytes read.
QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress);

} // namespace TrafficLogReader
