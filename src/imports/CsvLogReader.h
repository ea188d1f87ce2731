#pragma once

#include <QByteArrayView>
#include <QString>

class ImportedRows;
struct TaskProgress;

// Reads a CSV that Lumetra saved back as rows: its header line, then a row a record, the
// bytes from the Status and Data cells or, for a SysEx, its SysEx Data cell; the Source
// cell, when there is one, names the input. A field in quotes may hold commas, doubled
// quotes and line ends.
namespace CsvLogReader {

// Whether the bytes begin as such a CSV does, with its header.
bool isCsvLog(QByteArrayView start);

// Appends the file's rows to `rows`; returns the reason the file is refused, naming the line
// at fault, or an empty text. `progress` counts the bytes read.
QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress);

} // namespace CsvLogReader
